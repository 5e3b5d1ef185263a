#pragma once
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <type_traits>

// The shared empty texts that every empty string borrows; never freed or written.
extern const char g_EmptyTextA[1];
extern const char16_t g_EmptyTextW[1];

// The white space that XCStringW::Trim removes.
bool IsXCStringSpace(char16_t unit);

// A counted, NUL-terminated string of `T` units (bytes or UTF-16 units) that may borrow a
// text it does not own, and that reserves spare room on reallocation by a per-string policy.
// Layout: text pointer, flags-and-spare word (flags in the low byte, spare units above),
// length in units without the terminator.
template <typename T>
class XCString {
    static_assert(std::is_same<T, char>::value || std::is_same<T, char16_t>::value,
                  "XCString holds bytes or UTF-16 units");

public:
    static constexpr uint32_t Borrowed = 0x10;
    static constexpr uint32_t ReserveSmall = 0x20;
    static constexpr uint32_t ReserveLarge = 0x01;
    static constexpr uint32_t GrowthBits = ReserveSmall | ReserveLarge;

    // Spare units that a reallocation leaves: none, 255 or 65535.
    enum class Growth : uint32_t { None = 0, Small = ReserveSmall, Large = ReserveSmall | ReserveLarge };

    XCString() { BorrowEmpty(); }

    explicit XCString(Growth growth)
    {
        BorrowEmpty();
        SetGrowth(growth);
    }

    // A view of `text` up to its terminator, without copying it.
    XCString(const T* text) { BorrowText(text); }

    // The copy owns an exact-size buffer and has no growth policy, whatever the source had.
    XCString(const XCString& other)
    {
        BorrowEmpty();
        Assign(other.data_, other.length_);
    }

    // The target keeps its own growth policy.
    XCString& operator=(const XCString& other)
    {
        Assign(other.data_, other.length_);
        return *this;
    }

    ~XCString() { Release(); }

    const T* GetData() const { return data_; }
    int32_t GetLength() const { return length_; }
    uint32_t GetSpare() const { return flagsAndSpare_ >> 8; }
    uint32_t GetFlags() const { return flagsAndSpare_ & 0xFF; }
    bool IsBorrowed() const { return (flagsAndSpare_ & Borrowed) != 0; }

    // Takes effect at the next reallocation.
    void SetGrowth(Growth growth)
    {
        flagsAndSpare_ = (flagsAndSpare_ & ~GrowthBits) | static_cast<uint32_t>(growth);
    }

    // Makes the string borrow `text` (no growth policy), releasing its own buffer first.
    void Borrow(const T* text)
    {
        Release();
        BorrowText(text);
    }

    // Copies `count` units. `units` may point into this string's own text.
    void Assign(const T* units, int32_t count)
    {
        if (count < 0 || units == nullptr) {
            count = 0;
        }
        ApplyGrowthPolicy();
        T* buffer = Allocate(static_cast<size_t>(count) + GetSpare() + 1);
        CopyUnits(buffer, units, count);
        buffer[count] = 0;
        Release();
        Adopt(buffer, count);
    }

    XCString& AppendChar(T unit)
    {
        MakeOwned();
        if (GetSpare() >= 1) {
            data_[length_] = unit;
            ++length_;
            data_[length_] = 0;
            SetSpare(GetSpare() - 1);
            return *this;
        }
        ApplyGrowthPolicy();
        T* buffer = Allocate(static_cast<size_t>(length_) + GetSpare() + 2);
        CopyUnits(buffer, data_, length_);
        buffer[length_] = unit;
        buffer[length_ + 1] = 0;
        const int32_t newLength = length_ + 1;
        Release();
        Adopt(buffer, newLength);
        return *this;
    }

    // `other` may be this string itself.
    XCString& Append(const XCString& other)
    {
        MakeOwned();
        const int32_t added = other.length_;
        if (GetSpare() >= static_cast<uint32_t>(added)) {
            std::memmove(data_ + length_, other.data_, static_cast<size_t>(added) * sizeof(T));
            length_ += added;
            data_[length_] = 0;
            SetSpare(GetSpare() - static_cast<uint32_t>(added));
            return *this;
        }
        ApplyGrowthPolicy();
        T* buffer = Allocate(static_cast<size_t>(length_) + static_cast<size_t>(added) + GetSpare() + 1);
        CopyUnits(buffer, data_, length_);
        CopyUnits(buffer + length_, other.data_, added);
        const int32_t newLength = length_ + added;
        buffer[newLength] = 0;
        Release();
        Adopt(buffer, newLength);
        return *this;
    }

    XCString& Append(const T* text)
    {
        static_assert(std::is_same<T, char16_t>::value, "only the wide string appends a C text");
        return Append(XCString(text));
    }

    // Discards the text and makes room for `count` bytes; must not be given this string's own text.
    void Reserve(int32_t count)
    {
        static_assert(std::is_same<T, char>::value, "only the narrow string reserves");
        if (count < 0) {
            count = 0;
        }
        Release();
        flagsAndSpare_ &= ~Borrowed;
        ApplyGrowthPolicy();
        const size_t spare = static_cast<size_t>(GetSpare()) + static_cast<size_t>(count);
        T* buffer = Allocate(spare + 1);
        buffer[0] = 0;
        data_ = buffer;
        length_ = 0;
        SetSpare(spare);
    }

    // The low byte of every UTF-16 unit up to the first unit 0; no character conversion.
    void AssignTruncated(const XCString<char16_t>& wide)
    {
        static_assert(std::is_same<T, char>::value, "only the narrow string is cut from a wide one");
        AssignLowBytes(wide.GetData(), wide.GetLength());
    }

    void AssignTruncated(const char16_t* wide)
    {
        static_assert(std::is_same<T, char>::value, "only the narrow string is cut from a wide one");
        AssignLowBytes(wide, static_cast<int32_t>(TextLength(wide)));
    }

    // Index of the first space, or -1.
    int32_t FindSpace() const
    {
        static_assert(std::is_same<T, char16_t>::value, "only the wide string finds spaces");
        for (int32_t i = 0; i < length_; ++i) {
            if (data_[i] == u' ') {
                return i;
            }
        }
        return -1;
    }

    // A backslash does not count.
    bool EndsWithSlash() const
    {
        static_assert(std::is_same<T, char16_t>::value, "only the wide string tests for a slash");
        return length_ >= 1 && data_[length_ - 1] == u'/';
    }

    // `count` units from `start`, clipped to the end; `result` may be this string.
    void Mid(XCString& result, int32_t start, int32_t count) const
    {
        static_assert(std::is_same<T, char16_t>::value, "only the wide string cuts substrings");
        if (start < 0 || count < 0 || start >= length_) {
            result.Assign(data_, 0);
            return;
        }
        if (count > length_ - start) {
            count = length_ - start;
        }
        result.Assign(data_ + start, count);
    }

    // Removes white space at both ends; a string without any keeps its buffer and state.
    void Trim()
    {
        static_assert(std::is_same<T, char16_t>::value, "only the wide string trims");
        int32_t first = 0;
        while (first < length_ && IsXCStringSpace(data_[first])) {
            ++first;
        }
        int32_t last = length_ - 1;
        while (last > first && IsXCStringSpace(data_[last])) {
            --last;
        }
        if (first != 0 || last != length_ - 1) {
            Assign(data_ + first, last - first + 1);
        }
    }

private:
    // The spare count has 24 bits; a larger spare is recorded as the most they hold,
    // which only leaves the buffer larger than recorded.
    static constexpr size_t kMaxSpare = 0xFFFFFF;

    static const T* EmptyText()
    {
        if constexpr (std::is_same<T, char>::value) {
            return g_EmptyTextA;
        } else {
            return g_EmptyTextW;
        }
    }

    template <typename Unit>
    static size_t TextLength(const Unit* text)
    {
        size_t length = 0;
        if (text != nullptr) {
            while (text[length] != 0) {
                ++length;
            }
        }
        return length;
    }

    static T* Allocate(size_t units) { return new T[units]; }

    static void CopyUnits(T* to, const T* from, int32_t count)
    {
        if (count > 0) {
            std::memcpy(to, from, static_cast<size_t>(count) * sizeof(T));
        }
    }

    // Never written: the string makes itself owned before any write.
    void BorrowText(const T* text)
    {
        if (text == nullptr) {
            BorrowEmpty();
            return;
        }
        data_ = const_cast<T*>(text);
        flagsAndSpare_ = Borrowed;
        length_ = static_cast<int32_t>(TextLength(text));
    }

    void BorrowEmpty()
    {
        data_ = const_cast<T*>(EmptyText());
        flagsAndSpare_ = Borrowed;
        length_ = 0;
    }

    void SetSpare(size_t spare)
    {
        if (spare > kMaxSpare) {
            spare = kMaxSpare;
        }
        flagsAndSpare_ = (flagsAndSpare_ & 0xFF) | static_cast<uint32_t>(spare << 8);
    }

    void ApplyGrowthPolicy()
    {
        switch (flagsAndSpare_ & GrowthBits) {
        case 0x00: SetSpare(0); break;
        case ReserveSmall: SetSpare(255); break;
        case ReserveSmall | ReserveLarge: SetSpare(65535); break;
        default: break;  // ReserveLarge alone keeps the spare as it stands
        }
    }

    void Release()
    {
        if (!IsBorrowed()) {
            delete[] data_;
        }
    }

    // Takes a new buffer whose spare was set by ApplyGrowthPolicy.
    void Adopt(T* buffer, int32_t length)
    {
        flagsAndSpare_ &= ~Borrowed;
        data_ = buffer;
        length_ = length;
    }

    void MakeOwned()
    {
        if (IsBorrowed()) {
            Assign(data_, length_);
        }
    }

    void AssignLowBytes(const char16_t* wide, int32_t count)
    {
        Reserve(count);
        for (int32_t i = 0; i < count && wide[i] != 0; ++i) {
            AppendChar(static_cast<char>(wide[i] & 0xFF));
        }
    }

    T* data_;
    uint32_t flagsAndSpare_;
    int32_t length_;
};

using XCStringW = XCString<char16_t>;
using XCStringA = XCString<char>;

static_assert(sizeof(XCStringW) == sizeof(void*) + 8, "three words: text, flags and spare, length");

// A copy of `a` (exact size, no growth policy) with `b` appended.
XCStringW operator+(const XCStringW& a, const XCStringW& b);
