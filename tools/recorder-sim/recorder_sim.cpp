// recorder-sim: a simulated recorder on a pseudo-terminal, for tests and demonstrations.
// It answers as Modbus RTU unit 1 and to the ASCII command "#DEFAULT"; see Usage below.
#include "foundation/modbus_crc16.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <poll.h>
#include <string>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>
#include <vector>

namespace {

const char kUsage[] =
    "Usage: recorder-sim --link PATH [options]\n"
    "A simulated recorder: Modbus RTU slave unit 1 at 115200 8N1 on a pseudo-terminal.\n"
    "\n"
    "  --link PATH            publish the pseudo-terminal as a symbolic link at PATH (a stale\n"
    "                         link is replaced; the link is removed on exit). It appears once\n"
    "                         the simulator is ready.\n"
    "  --request-log FILE     write every request received as one line of hex bytes\n"
    "                         (\"01 03 00 00 00 43 04 3B\"), flushed at once\n"
    "  --set REG=VALUE        holding register REG (0-66) starts as VALUE (0-65535, decimal or\n"
    "                         0x hex); repeatable; applied after every other option\n"
    "  --clock now|unset|HEX  clock of registers 16-17: the current UTC time (default),\n"
    "                         2015-01-01 00:00:00 (an unset clock), or the packed value HEX;\n"
    "                         a valid date ticks in UTC, any other value stays as it is\n"
    "  --pages P              memory pages, 1-256 (default 4)\n"
    "  --page-size N          registers per page, 1-65535 (default 180)\n"
    "  --logs L               log records stored (default 0)\n"
    "  --events E             event records stored (default 0)\n"
    "  --memory AT=VALUE      memory register AT (counted from page 1, offset 0) holds VALUE\n"
    "                         (0-65535); repeatable; applied after --logs and --events\n"
    "  --wrapped              store the records across the end of the ring, so that the start\n"
    "                         pointer lies after the end pointer (needs 2 records or more)\n"
    "  --no-pacing            send each reply at once instead of at 115200 baud\n"
    "  --turnaround MS        wait MS milliseconds before each reply (default 0)\n"
    "  --fault FAULT[@K]      misbehave on every request, or on the K-th only (counted from 1,\n"
    "                         as the lines of the request log); repeatable, a fault with @K\n"
    "                         wins over one without. FAULT is one of:\n"
    "                           no-reply              execute the request, send nothing\n"
    "                           wrong-unit            reply as unit 2 (with a valid CRC)\n"
    "                           bad-crc               flip the lowest bit of the reply's CRC\n"
    "                           exception:CODE        exception reply with CODE, not executed\n"
    "                           split:PIECES:GAP_MS   reply in PIECES pieces, GAP_MS apart\n"
    "                           garbage:COUNT         COUNT bytes 0xA5 before the reply\n"
    "                           late:MS               reply MS milliseconds late\n"
    "                           hang-up               send half the reply, then hang up; a new\n"
    "                                                 pseudo-terminal is then published at PATH\n"
    "                           stall                 from the reply before the K-th request (from\n"
    "                                                 the start for K = 1) until the program closes\n"
    "                                                 the port, the line takes no bytes: the request\n"
    "                                                 never arrives; without @K, no request ever does\n"
    "                         wrong-unit, bad-crc and exception do not affect \"#DEFAULT\".\n"
    "  --help                 show this text\n"
    "\n"
    "Identity: hardware 1.2, software 2.3, product id 7, serial number 12345678, battery\n"
    "19661 (3.00 V); partial counters logs L, events E, then 3 2 1 4 5 0 86400, each total\n"
    "1000 200 30 20 10 40 50 0 31536000 above its partial one.\n"
    "Served: function 3 reads holding registers 0-66; function 16 writes 8-18 and 21\n"
    "(21 selects the page, 0 standing for 256; writing 0 to 18 clears the memory and the\n"
    "partial counters); function 4 reads up to 180 registers of the selected page, those past\n"
    "its end as 0. A request outside the map gets exception 2, a bad count exception 3, an\n"
    "unknown function exception 1; requests to other units and with a bad CRC get no reply.\n"
    "\"#DEFAULT\" answers CR LF \"OK\" CR LF and restores registers 8-15 to 230 50 207 253 2 6 10 0.\n"
    "Records fill whole 3-register slots of each page (a page of N registers holds N / 3\n"
    "slots), oldest first from page 1, offset 0, or with --wrapped from R / 2 slots before the\n"
    "ring's end (R records). Events are spread evenly among the logs; the oldest record is\n"
    "from 2024-01-01 00:00:00 UTC and each next one a minute later; the i-th log (from 0)\n"
    "holds 15073 + 64 x (i mod 8), the j-th event the mask 1 << (j mod 7). Register 25 gives\n"
    "the last register of the newest record.\n";

constexpr int kRegisterCount = 67;
constexpr int kMaxRecordRead = 180;
constexpr uint32_t kLogBit = 1u << 30;
constexpr uint32_t kEventBit = 1u << 31;
constexpr long kByteNanoseconds = 1000000000L * 10 / 115200;
constexpr long kResyncGapNanoseconds = 10 * 1000000L;
const uint16_t kFactoryParameters[8] = {230, 50, 207, 253, 2, 6, 10, 0};
const char kAsciiCommand[] = "#DEFAULT";
const time_t kFirstRecordTime = 1704067200;  // 2024-01-01 00:00:00 UTC
const time_t kUnsetClockTime = 1420070400;   // 2015-01-01 00:00:00 UTC

volatile sig_atomic_t gStopRequested = 0;

void OnStopSignal(int)
{
    gStopRequested = 1;
}

enum class FaultKind { None, NoReply, WrongUnit, BadCrc, Exception, Split, Garbage, Late, HangUp, Stall };

struct Fault {
    FaultKind kind = FaultKind::None;
    unsigned first = 0;    // exception code, pieces, garbage count or delay
    unsigned second = 0;   // gap between pieces
    unsigned request = 0;  // 0: every request
};

struct Options {
    std::string link;
    std::string requestLog;
    std::vector<std::pair<unsigned, unsigned>> registerValues;
    std::vector<std::pair<unsigned, unsigned>> memoryValues;
    std::string clock = "now";
    unsigned pages = 4;
    unsigned pageSize = 180;
    unsigned logs = 0;
    unsigned events = 0;
    bool wrapped = false;
    bool pacing = true;
    unsigned turnaroundMs = 0;
    std::vector<Fault> faults;
};

using Bytes = std::vector<uint8_t>;
using Instant = timespec;  // on the monotonic clock

Instant Now()
{
    Instant now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return now;
}

Instant AddNanoseconds(Instant t, long long nanoseconds)
{
    long long total = static_cast<long long>(t.tv_nsec) + nanoseconds;
    t.tv_sec += static_cast<time_t>(total / 1000000000LL);
    t.tv_nsec = static_cast<long>(total % 1000000000LL);
    return t;
}

long long NanosecondsBetween(Instant from, Instant to)
{
    return (static_cast<long long>(to.tv_sec) - from.tv_sec) * 1000000000LL + (to.tv_nsec - from.tv_nsec);
}

// Waits until `fd` is readable (fd >= 0) or `deadline` (null: none) passes, while the stop
// signals are let through. Returns false once a stop was requested.
bool WaitFor(int fd, const Instant* deadline, sigset_t* openMask, bool* readable = nullptr)
{
    pollfd watch = {fd, POLLIN, 0};
    long long left = deadline ? NanosecondsBetween(Now(), *deadline) : 0;
    if (deadline && left < 0) left = 0;
    timespec timeout = {static_cast<time_t>(left / 1000000000LL), static_cast<long>(left % 1000000000LL)};
    int ready = ppoll(fd >= 0 ? &watch : nullptr, fd >= 0 ? 1 : 0, deadline ? &timeout : nullptr, openMask);
    if (readable) *readable = ready > 0 && (watch.revents & POLLIN);
    return !gStopRequested;
}

bool ParseNumber(const std::string& text, unsigned long maximum, unsigned* value)
{
    if (text.empty() || text[0] == '-' || text[0] == '+') return false;
    // Decimal unless 0x: a leading zero does not make it octal.
    bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    errno = 0;
    char* end = nullptr;
    unsigned long parsed = std::strtoul(text.c_str(), &end, hex ? 16 : 10);
    if (errno != 0 || *end != '\0' || parsed > maximum) return false;
    *value = static_cast<unsigned>(parsed);
    return true;
}

bool ParseFault(std::string text, Fault* fault)
{
    size_t at = text.find('@');
    if (at != std::string::npos) {
        if (!ParseNumber(text.substr(at + 1), UINT_MAX, &fault->request) || fault->request == 0) return false;
        text.erase(at);
    }
    std::vector<std::string> parts;
    for (size_t start = 0;;) {
        size_t colon = text.find(':', start);
        parts.push_back(text.substr(start, colon - start));
        if (colon == std::string::npos) break;
        start = colon + 1;
    }
    struct FaultForm { const char* name; FaultKind kind; size_t arguments; };
    const FaultForm forms[] = {
        {"no-reply", FaultKind::NoReply, 0}, {"wrong-unit", FaultKind::WrongUnit, 0},
        {"bad-crc", FaultKind::BadCrc, 0},   {"exception", FaultKind::Exception, 1},
        {"split", FaultKind::Split, 2},      {"garbage", FaultKind::Garbage, 1},
        {"late", FaultKind::Late, 1},        {"hang-up", FaultKind::HangUp, 0},
        {"stall", FaultKind::Stall, 0},
    };
    for (const FaultForm& form : forms) {
        if (parts[0] != form.name) continue;
        if (parts.size() != form.arguments + 1) return false;
        fault->kind = form.kind;
        if (form.arguments >= 1 && !ParseNumber(parts[1], 60000, &fault->first)) return false;
        if (form.arguments >= 2 && !ParseNumber(parts[2], 60000, &fault->second)) return false;
        if (form.kind == FaultKind::Exception) return fault->first <= 255;
        if (form.kind == FaultKind::Split) return fault->first >= 2;
        return true;
    }
    return false;
}

// Returns 0 to run, 1 after --help, 2 on a usage error (already reported).
int ParseOptions(int argc, char** argv, Options* options)
{
    for (int i = 1; i < argc; ++i) {
        std::string name = argv[i];
        if (name == "--help") {
            std::fputs(kUsage, stdout);
            return 1;
        }
        bool ok = true;
        if (name == "--wrapped") {
            options->wrapped = true;
        } else if (name == "--no-pacing") {
            options->pacing = false;
        } else if (i + 1 >= argc) {
            std::fprintf(stderr, "recorder-sim: unknown option or missing value: %s\n", name.c_str());
            return 2;
        } else {
            std::string value = argv[++i];
            if (name == "--link") {
                options->link = value;
            } else if (name == "--request-log") {
                options->requestLog = value;
            } else if (name == "--set") {
                size_t equals = value.find('=');
                unsigned reg = 0, word = 0;
                ok = equals != std::string::npos && ParseNumber(value.substr(0, equals), kRegisterCount - 1, &reg) &&
                     ParseNumber(value.substr(equals + 1), 0xFFFF, &word);
                options->registerValues.emplace_back(reg, word);
            } else if (name == "--memory") {
                size_t equals = value.find('=');
                unsigned at = 0, word = 0;
                ok = equals != std::string::npos && ParseNumber(value.substr(0, equals), 0xFFFFFF, &at) &&
                     ParseNumber(value.substr(equals + 1), 0xFFFF, &word);
                options->memoryValues.emplace_back(at, word);
            } else if (name == "--clock") {
                unsigned packed = 0;
                std::string digits = value.compare(0, 2, "0x") == 0 ? value.substr(2) : value;
                ok = value == "now" || value == "unset" ||
                     (digits.size() <= 8 && ParseNumber("0x" + digits, 0xFFFFFFFFul, &packed));
                options->clock = value;
            } else if (name == "--pages") {
                ok = ParseNumber(value, 256, &options->pages) && options->pages >= 1;
            } else if (name == "--page-size") {
                ok = ParseNumber(value, 0xFFFF, &options->pageSize) && options->pageSize >= 1;
            } else if (name == "--logs") {
                ok = ParseNumber(value, 0xFFFFFF, &options->logs);
            } else if (name == "--events") {
                ok = ParseNumber(value, 0xFFFFFF, &options->events);
            } else if (name == "--turnaround") {
                ok = ParseNumber(value, 60000, &options->turnaroundMs);
            } else if (name == "--fault") {
                Fault fault;
                ok = ParseFault(value, &fault);
                options->faults.push_back(fault);
            } else {
                std::fprintf(stderr, "recorder-sim: unknown option %s (see --help)\n", name.c_str());
                return 2;
            }
        }
        if (!ok) {
            std::fprintf(stderr, "recorder-sim: bad value for %s (see --help)\n", name.c_str());
            return 2;
        }
    }
    if (options->link.empty()) {
        std::fprintf(stderr, "recorder-sim: --link PATH is required (see --help)\n");
        return 2;
    }
    for (const auto& value : options->memoryValues) {
        if (value.first >= options->pages * options->pageSize) {
            std::fprintf(stderr, "recorder-sim: memory register %u is past the memory's end\n", value.first);
            return 2;
        }
    }
    unsigned slots = options->pages * (options->pageSize / 3);
    unsigned long records = static_cast<unsigned long>(options->logs) + options->events;
    if (records > slots) {
        std::fprintf(stderr, "recorder-sim: %lu records do not fit in %u record slots\n", records, slots);
        return 2;
    }
    if (options->wrapped && records < 2) {
        std::fprintf(stderr, "recorder-sim: --wrapped needs at least 2 records\n");
        return 2;
    }
    return 0;
}

uint32_t PackUtc(time_t utc)
{
    tm fields;
    gmtime_r(&utc, &fields);
    uint32_t yearOffset = static_cast<uint32_t>(fields.tm_year + 1900 - 2015) & 63;
    return yearOffset << 26 | static_cast<uint32_t>(fields.tm_mon + 1) << 22 | static_cast<uint32_t>(fields.tm_mday) << 17 |
           static_cast<uint32_t>(fields.tm_hour) << 12 | static_cast<uint32_t>(fields.tm_min) << 6 |
           static_cast<uint32_t>(fields.tm_sec);
}

// The UTC time a packed clock value stands for, when it is a real calendar time.
bool UnpackUtc(uint32_t packed, time_t* utc)
{
    tm fields = {};
    fields.tm_sec = static_cast<int>(packed & 63);
    fields.tm_min = static_cast<int>(packed >> 6 & 63);
    fields.tm_hour = static_cast<int>(packed >> 12 & 31);
    fields.tm_mday = static_cast<int>(packed >> 17 & 31);
    fields.tm_mon = static_cast<int>(packed >> 22 & 15) - 1;
    fields.tm_year = static_cast<int>(packed >> 26) + 2015 - 1900;
    *utc = timegm(&fields);
    return *utc != static_cast<time_t>(-1) && PackUtc(*utc) == packed;
}

class Recorder {
  public:
    explicit Recorder(const Options& options);
    // Executes one Modbus request for this unit, whose CRC is right, and returns the reply
    // (none for a malformed frame).
    Bytes Answer(const Bytes& request);
    void RestoreFactoryParameters();

  private:
    Bytes ReadHolding(unsigned start, unsigned count) const;
    Bytes ReadRecords(unsigned start, unsigned count) const;
    Bytes WriteHolding(unsigned start, unsigned count, const uint8_t* values);
    uint32_t ClockValue() const;
    void SetClock(uint32_t packed);
    void FillMemory(unsigned logs, unsigned events, bool wrapped);
    void ClearMemory();
    void SetDouble(int reg, uint32_t value);

    uint16_t registers_[kRegisterCount] = {};
    std::vector<uint16_t> memory_;
    unsigned pages_;
    unsigned pageSize_;
    bool clockTicks_ = false;
    time_t clockUtc_ = 0;  // while ticking: the clock's time at clockSetAt_
    Instant clockSetAt_ = {};
    uint32_t clockFixed_ = 0;
};

Bytes WithCrc(Bytes frame)
{
    uint16_t crc = ModbusCrc16(frame.data(), static_cast<uint32_t>(frame.size()));
    frame.push_back(static_cast<uint8_t>(crc >> 8));
    frame.push_back(static_cast<uint8_t>(crc));
    return frame;
}

Bytes ExceptionReply(uint8_t function, uint8_t code)
{
    return WithCrc({1, static_cast<uint8_t>(function | 0x80), code});
}

Recorder::Recorder(const Options& options) : pages_(options.pages), pageSize_(options.pageSize)
{
    registers_[1] = 0x0102;  // hardware 1.2
    registers_[2] = 0x0203;  // software 2.3
    registers_[3] = 7;
    RestoreFactoryParameters();
    registers_[19] = static_cast<uint16_t>(pages_);
    registers_[20] = static_cast<uint16_t>(pageSize_);
    registers_[21] = 1;
    memory_.assign(static_cast<size_t>(pages_) * pageSize_, 0);
    ClearMemory();
    const uint32_t partials[9] = {options.logs, options.events, 3, 2, 1, 4, 5, 0, 86400};
    const uint32_t earlier[9] = {1000, 200, 30, 20, 10, 40, 50, 0, 31536000};
    for (int i = 0; i < 9; ++i) {
        SetDouble(26 + 2 * i, partials[i]);
        SetDouble(44 + 2 * i, partials[i] + earlier[i]);
    }
    registers_[62] = 19661;  // 3.00 V
    SetDouble(65, 12345678);
    FillMemory(options.logs, options.events, options.wrapped);
    for (const auto& value : options.memoryValues) memory_[value.first] = static_cast<uint16_t>(value.second);
    if (options.clock == "now") {
        SetClock(PackUtc(time(nullptr)));
    } else if (options.clock == "unset") {
        SetClock(PackUtc(kUnsetClockTime));
    } else {
        SetClock(static_cast<uint32_t>(std::strtoul(options.clock.c_str(), nullptr, 16)));
    }
    for (const auto& value : options.registerValues) {
        if (value.first == 16 || value.first == 17) {
            uint32_t clock = ClockValue();
            int shift = value.first == 16 ? 16 : 0;
            SetClock((clock & ~(0xFFFFu << shift)) | value.second << shift);
        } else {
            registers_[value.first] = static_cast<uint16_t>(value.second);
        }
    }
}

void Recorder::SetDouble(int reg, uint32_t value)
{
    registers_[reg] = static_cast<uint16_t>(value >> 16);
    registers_[reg + 1] = static_cast<uint16_t>(value);
}

uint32_t Recorder::ClockValue() const
{
    if (!clockTicks_) return clockFixed_;
    return PackUtc(clockUtc_ + static_cast<time_t>(NanosecondsBetween(clockSetAt_, Now()) / 1000000000LL));
}

void Recorder::SetClock(uint32_t packed)
{
    clockTicks_ = UnpackUtc(packed, &clockUtc_);
    clockSetAt_ = Now();
    clockFixed_ = packed;
}

void Recorder::ClearMemory()
{
    std::fill(memory_.begin(), memory_.end(), 0);
    const uint16_t emptyPointers[4] = {1, 0, 1, 0};
    std::copy(emptyPointers, emptyPointers + 4, registers_ + 22);
    std::fill(registers_ + 26, registers_ + 44, 0);
}

void Recorder::FillMemory(unsigned logs, unsigned events, bool wrapped)
{
    unsigned records = logs + events;
    if (records == 0) return;
    unsigned slotsPerPage = pageSize_ / 3;
    unsigned slots = pages_ * slotsPerPage;
    unsigned firstSlot = wrapped ? slots - records / 2 : 0;
    unsigned eventsPlaced = 0;
    for (unsigned i = 0; i < records; ++i) {
        bool isEvent = static_cast<unsigned long long>(i + 1) * events / records > eventsPlaced;
        uint32_t packed = PackUtc(kFirstRecordTime + 60 * static_cast<time_t>(i));
        uint16_t value;
        if (isEvent) {
            packed |= kEventBit;
            value = static_cast<uint16_t>(1u << (eventsPlaced % 7));
            ++eventsPlaced;
        } else {
            packed |= kLogBit;
            value = static_cast<uint16_t>(15073 + 64 * ((i - eventsPlaced) % 8));
        }
        unsigned slot = (firstSlot + i) % slots;
        size_t at = static_cast<size_t>(slot / slotsPerPage) * pageSize_ + slot % slotsPerPage * 3;
        memory_[at] = static_cast<uint16_t>(packed >> 16);
        memory_[at + 1] = static_cast<uint16_t>(packed);
        memory_[at + 2] = value;
    }
    unsigned lastSlot = (firstSlot + records - 1) % slots;
    registers_[22] = static_cast<uint16_t>(firstSlot / slotsPerPage + 1);
    registers_[23] = static_cast<uint16_t>(firstSlot % slotsPerPage * 3);
    registers_[24] = static_cast<uint16_t>(lastSlot / slotsPerPage + 1);
    registers_[25] = static_cast<uint16_t>(lastSlot % slotsPerPage * 3 + 2);  // its last register
}

void Recorder::RestoreFactoryParameters()
{
    std::copy(kFactoryParameters, kFactoryParameters + 8, registers_ + 8);
}

Bytes Recorder::Answer(const Bytes& request)
{
    uint8_t function = request[1];
    unsigned start = request.size() >= 8 ? request[2] << 8 | request[3] : 0;
    unsigned count = request.size() >= 8 ? request[4] << 8 | request[5] : 0;
    if ((function == 3 || function == 4) && request.size() == 8) {
        return function == 3 ? ReadHolding(start, count) : ReadRecords(start, count);
    }
    if (function == 16 && request.size() >= 9 && request.size() == 9u + request[6]) {
        if (count == 0 || request[6] != 2 * count) return ExceptionReply(function, 3);
        return WriteHolding(start, count, request.data() + 7);
    }
    if (function == 3 || function == 4 || function == 16) return {};  // a cut frame
    return ExceptionReply(function, 1);
}

Bytes Recorder::ReadHolding(unsigned start, unsigned count) const
{
    if (count == 0 || count > 125) return ExceptionReply(3, 3);
    if (start + count > kRegisterCount) return ExceptionReply(3, 2);
    uint16_t view[kRegisterCount];
    std::copy(registers_, registers_ + kRegisterCount, view);
    uint32_t clock = ClockValue();
    view[16] = static_cast<uint16_t>(clock >> 16);
    view[17] = static_cast<uint16_t>(clock);
    Bytes reply = {1, 3, static_cast<uint8_t>(2 * count)};
    for (unsigned reg = start; reg < start + count; ++reg) {
        reply.push_back(static_cast<uint8_t>(view[reg] >> 8));
        reply.push_back(static_cast<uint8_t>(view[reg]));
    }
    return WithCrc(reply);
}

Bytes Recorder::ReadRecords(unsigned start, unsigned count) const
{
    if (count == 0 || count > kMaxRecordRead) return ExceptionReply(4, 3);
    unsigned page = registers_[21] & 0xFF ? registers_[21] & 0xFF : 256;
    if (page > pages_ || start >= pageSize_) return ExceptionReply(4, 2);
    Bytes reply = {1, 4, static_cast<uint8_t>(2 * count)};  // 360 data bytes do not fit in it
    for (unsigned offset = start; offset < start + count; ++offset) {
        uint16_t word = offset < pageSize_ ? memory_[static_cast<size_t>(page - 1) * pageSize_ + offset] : 0;
        reply.push_back(static_cast<uint8_t>(word >> 8));
        reply.push_back(static_cast<uint8_t>(word));
    }
    return WithCrc(reply);
}

Bytes Recorder::WriteHolding(unsigned start, unsigned count, const uint8_t* values)
{
    for (unsigned reg = start; reg < start + count; ++reg) {
        if (reg < 8 || (reg > 18 && reg != 21)) return ExceptionReply(16, 2);
    }
    uint32_t clock = ClockValue();
    bool clockWritten = false;
    for (unsigned i = 0; i < count; ++i) {
        unsigned reg = start + i;
        uint16_t word = static_cast<uint16_t>(values[2 * i] << 8 | values[2 * i + 1]);
        if (reg == 16 || reg == 17) {
            int shift = reg == 16 ? 16 : 0;
            clock = (clock & ~(0xFFFFu << shift)) | static_cast<uint32_t>(word) << shift;
            clockWritten = true;
        } else if (reg == 18) {
            if (word == 0) ClearMemory();
        } else {
            registers_[reg] = word;
        }
    }
    if (clockWritten) SetClock(clock);
    return WithCrc({1, 16, static_cast<uint8_t>(start >> 8), static_cast<uint8_t>(start),
                    static_cast<uint8_t>(count >> 8), static_cast<uint8_t>(count)});
}


// The pseudo-terminal and its published link. The simulator keeps a slave descriptor of its
// own open, so the line stays up while no client holds it.
class Port {
  public:
    explicit Port(std::string link) : link_(std::move(link)) {}
    ~Port() { Close(); }
    // Opens a new pseudo-terminal and publishes it; only then is a line open before hung up.
    bool Open();
    void Close();
    void Unpublish();
    int Master() const { return master_; }
    const std::string& SlaveName() const { return slaveName_; }
    // Stops or restarts what the program's side sends, as a line held off would.
    bool HoldProgramOutput(bool hold) const { return tcflow(slave_, hold ? TCOOFF : TCOON) == 0; }

  private:
    bool Create();

    std::string link_;
    std::string slaveName_;
    int master_ = -1;
    int slave_ = -1;
};

bool Port::Open()
{
    int previousMaster = master_;
    int previousSlave = slave_;
    master_ = slave_ = -1;
    bool created = Create();
    if (!created) Close();
    if (previousMaster >= 0) close(previousMaster);
    if (previousSlave >= 0) close(previousSlave);
    return created;
}

bool Port::Create()
{
    master_ = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (master_ < 0 || grantpt(master_) != 0 || unlockpt(master_) != 0 || ptsname(master_) == nullptr) {
        std::perror("recorder-sim: pseudo-terminal");
        return false;
    }
    slaveName_ = ptsname(master_);
    slave_ = open(slaveName_.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    termios settings;
    if (slave_ < 0 || tcgetattr(slave_, &settings) != 0) {
        std::perror("recorder-sim: pseudo-terminal slave");
        return false;
    }
    cfmakeraw(&settings);
    cfsetispeed(&settings, B115200);
    cfsetospeed(&settings, B115200);
    tcsetattr(slave_, TCSANOW, &settings);

    struct stat existing;
    if (lstat(link_.c_str(), &existing) == 0 && !S_ISLNK(existing.st_mode)) {
        std::fprintf(stderr, "recorder-sim: %s exists and is not a symbolic link\n", link_.c_str());
        return false;
    }
    // Published in one step, so that the link's presence means the simulator is ready.
    std::string temporary = link_ + ".new" + std::to_string(getpid());
    unlink(temporary.c_str());
    if (symlink(slaveName_.c_str(), temporary.c_str()) != 0 || rename(temporary.c_str(), link_.c_str()) != 0) {
        std::fprintf(stderr, "recorder-sim: cannot publish %s: %s\n", link_.c_str(), std::strerror(errno));
        unlink(temporary.c_str());
        return false;
    }
    std::printf("recorder-sim: %s published as %s\n", slaveName_.c_str(), link_.c_str());
    std::fflush(stdout);
    return true;
}

void Port::Close()
{
    if (master_ >= 0) close(master_);
    if (slave_ >= 0) close(slave_);
    master_ = slave_ = -1;
}

void Port::Unpublish()
{
    char target[PATH_MAX];
    ssize_t length = readlink(link_.c_str(), target, sizeof target - 1);
    // Another simulator may have taken the link over since.
    if (length >= 0 && std::string(target, static_cast<size_t>(length)) == slaveName_) unlink(link_.c_str());
}

class Server {
  public:
    Server(const Options& options, Port& port, int requestLog, sigset_t* openMask)
        : options_(options), recorder_(options), port_(port), requestLog_(requestLog), openMask_(openMask)
    {
    }
    // Serves until a stop signal arrives; false when the port failed.
    bool Run();

  private:
    bool TakeFrame(bool gapPassed, Bytes* frame);
    bool Handle(const Bytes& request);
    bool StallBefore(unsigned request);
    bool AwaitStallEnd();
    void LogRequest(const Bytes& request) const;
    const Fault& FaultFor(unsigned request) const;
    bool Transmit(const uint8_t* data, size_t count);

    const Options& options_;
    Recorder recorder_;
    Port& port_;
    int requestLog_;
    sigset_t* openMask_;
    Bytes pending_;
    unsigned requestCount_ = 0;
    int closeWatch_ = -1;  // while stalled: tells when the program closes the port
    unsigned stalledBefore_ = 0;
};

bool Server::Run()
{
    if (!StallBefore(1)) return false;
    Instant lastByte = Now();
    while (!gStopRequested) {
        if (closeWatch_ >= 0) {
            if (!AwaitStallEnd()) return false;
            continue;
        }
        Instant gapEnd = AddNanoseconds(lastByte, kResyncGapNanoseconds);
        bool readable = false;
        if (!WaitFor(port_.Master(), pending_.empty() ? nullptr : &gapEnd, openMask_, &readable)) break;
        if (readable) {
            uint8_t chunk[512];
            ssize_t got = read(port_.Master(), chunk, sizeof chunk);
            if (got > 0) {
                pending_.insert(pending_.end(), chunk, chunk + got);
                lastByte = Now();
            } else if (got < 0 && errno != EAGAIN && errno != EINTR) {
                std::perror("recorder-sim: read");
                return false;
            }
        }
        bool gapPassed = NanosecondsBetween(lastByte, Now()) >= kResyncGapNanoseconds;
        Bytes frame;
        while (TakeFrame(gapPassed, &frame)) {
            if (!Handle(frame)) return gStopRequested != 0;
        }
    }
    return true;
}

// Holds the line off when `request` is to stall. The watch is set before the reply that comes
// first leaves, so that no close of the port after it is missed.
bool Server::StallBefore(unsigned request)
{
    const Fault& fault = FaultFor(request);
    if (fault.kind != FaultKind::Stall || closeWatch_ >= 0 || (fault.request != 0 && stalledBefore_ == request)) {
        return true;
    }
    closeWatch_ = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (closeWatch_ < 0 || inotify_add_watch(closeWatch_, port_.SlaveName().c_str(), IN_CLOSE_WRITE) < 0 ||
        !port_.HoldProgramOutput(true)) {
        std::perror("recorder-sim: stall");
        return false;
    }
    stalledBefore_ = request;
    return true;
}

bool Server::AwaitStallEnd()
{
    bool closed = false;
    if (!WaitFor(closeWatch_, nullptr, openMask_, &closed) || !closed) return true;
    close(closeWatch_);
    closeWatch_ = -1;
    if (!port_.HoldProgramOutput(false)) {
        std::perror("recorder-sim: stall end");
        return false;
    }
    return StallBefore(requestCount_ + 1);
}

// A request ends at the length its own header gives; anything else ends at a silence gap.
bool Server::TakeFrame(bool gapPassed, Bytes* frame)
{
    if (pending_.empty()) return false;
    size_t length = 0;
    if (pending_[0] == kAsciiCommand[0]) {
        length = sizeof kAsciiCommand - 1;
    } else if (pending_.size() >= 2 && (pending_[1] == 3 || pending_[1] == 4)) {
        length = 8;
    } else if (pending_.size() >= 7 && pending_[1] == 16) {
        length = 9u + pending_[6];
    }
    if (length == 0 || pending_.size() < length) {
        if (!gapPassed) return false;
        length = pending_.size();
    }
    frame->assign(pending_.begin(), pending_.begin() + static_cast<long>(length));
    pending_.erase(pending_.begin(), pending_.begin() + static_cast<long>(length));
    return true;
}

void Server::LogRequest(const Bytes& request) const
{
    if (requestLog_ < 0) return;
    std::string line;
    char hex[4];
    for (uint8_t byte : request) {
        std::snprintf(hex, sizeof hex, line.empty() ? "%02X" : " %02X", byte);
        line += hex;
    }
    line += '\n';
    if (write(requestLog_, line.data(), line.size()) != static_cast<ssize_t>(line.size())) {
        std::perror("recorder-sim: request log");
    }
}

const Fault& Server::FaultFor(unsigned request) const
{
    static const Fault none;
    const Fault* chosen = &none;
    for (const Fault& fault : options_.faults) {
        if (fault.request == request) return fault;
        if (fault.request == 0 && chosen == &none) chosen = &fault;
    }
    return *chosen;
}

// Writes at the line's pace: each byte leaves when its ten bits would have been sent.
bool Server::Transmit(const uint8_t* data, size_t count)
{
    Instant start = Now();
    size_t sent = 0;
    while (sent < count) {
        size_t due = count;
        if (options_.pacing) {
            long long elapsed = NanosecondsBetween(start, Now());
            due = std::min(count, static_cast<size_t>(elapsed / kByteNanoseconds));
        }
        if (due > sent) {
            ssize_t written = write(port_.Master(), data + sent, due - sent);
            // A full line drops the bytes, as a receiver that is not reading would lose them.
            if (written < 0 && errno != EAGAIN && errno != EINTR) {
                std::perror("recorder-sim: write");
                return false;
            }
            sent = due;
        }
        if (sent < count) {
            // Bytes leave in batches at most a millisecond apart, but the last one on time.
            Instant next = AddNanoseconds(start, static_cast<long long>(sent + 1) * kByteNanoseconds);
            Instant soonest = AddNanoseconds(Now(), 1000000);
            Instant last = AddNanoseconds(start, static_cast<long long>(count) * kByteNanoseconds);
            if (NanosecondsBetween(next, soonest) > 0) next = soonest;
            if (NanosecondsBetween(last, next) > 0) next = last;
            if (!WaitFor(-1, &next, openMask_)) return false;
        }
    }
    return true;
}

// Returns false when the port is gone or a stop was requested.
bool Server::Handle(const Bytes& request)
{
    ++requestCount_;
    LogRequest(request);
    if (!StallBefore(requestCount_ + 1)) return false;
    const Fault& fault = FaultFor(requestCount_);
    bool ascii = request[0] == kAsciiCommand[0];
    Bytes reply;
    if (ascii) {
        if (request != Bytes(kAsciiCommand, kAsciiCommand + sizeof kAsciiCommand - 1)) return true;
        recorder_.RestoreFactoryParameters();
        reply = {'\r', '\n', 'O', 'K', '\r', '\n'};
    } else {
        if (request.size() < 4 || request[0] != 1) return true;
        uint16_t crc = ModbusCrc16(request.data(), static_cast<uint32_t>(request.size() - 2));
        if (crc != (request[request.size() - 2] << 8 | request.back())) return true;
        if (fault.kind == FaultKind::Exception) {
            reply = ExceptionReply(request[1], static_cast<uint8_t>(fault.first));
        } else {
            reply = recorder_.Answer(request);
        }
        if (reply.empty()) return true;
        if (fault.kind == FaultKind::WrongUnit) {
            reply[0] = 2;
            reply.resize(reply.size() - 2);
            reply = WithCrc(reply);
        } else if (fault.kind == FaultKind::BadCrc) {
            reply.back() ^= 1;
        }
    }

    Instant start = Now();
    unsigned delayMs = options_.turnaroundMs + (fault.kind == FaultKind::Late ? fault.first : 0);
    Instant answerAt = AddNanoseconds(start, delayMs * 1000000LL);
    if (!WaitFor(-1, &answerAt, openMask_)) return false;
    switch (fault.kind) {
        case FaultKind::NoReply:
            return true;
        case FaultKind::Garbage: {
            Bytes garbage(fault.first, 0xA5);
            reply.insert(reply.begin(), garbage.begin(), garbage.end());
            break;
        }
        case FaultKind::Split: {
            for (size_t piece = 0; piece < fault.first; ++piece) {
                size_t from = reply.size() * piece / fault.first;
                size_t to = reply.size() * (piece + 1) / fault.first;
                if (!Transmit(reply.data() + from, to - from)) return false;
                Instant gapEnd = AddNanoseconds(Now(), fault.second * 1000000LL);
                if (piece + 1 < fault.first && !WaitFor(-1, &gapEnd, openMask_)) return false;
            }
            return true;
        }
        case FaultKind::HangUp: {
            // The hang-up discards what the other side has not taken yet; give it time to.
            if (!Transmit(reply.data(), reply.size() / 2)) return false;
            Instant drained = AddNanoseconds(Now(), 20 * 1000000LL);
            if (!WaitFor(-1, &drained, openMask_)) return false;
            pending_.clear();
            return port_.Open();
        }
        default:
            break;
    }
    return Transmit(reply.data(), reply.size());
}

}  // namespace

int main(int argc, char** argv)
{
    Options options;
    int parsed = ParseOptions(argc, argv, &options);
    if (parsed != 0) return parsed == 1 ? 0 : 2;

    // The stop signals are blocked except inside the waits, so none is missed between checks.
    sigset_t stopSignals, openMask;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGTERM);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGHUP);
    sigprocmask(SIG_BLOCK, &stopSignals, &openMask);
    sigdelset(&openMask, SIGTERM);
    sigdelset(&openMask, SIGINT);
    sigdelset(&openMask, SIGHUP);
    struct sigaction onStop = {};
    onStop.sa_handler = OnStopSignal;
    sigaction(SIGTERM, &onStop, nullptr);
    sigaction(SIGINT, &onStop, nullptr);
    sigaction(SIGHUP, &onStop, nullptr);

    int requestLog = -1;
    if (!options.requestLog.empty()) {
        requestLog = open(options.requestLog.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_APPEND | O_CLOEXEC, 0644);
        if (requestLog < 0) {
            std::fprintf(stderr, "recorder-sim: cannot open %s: %s\n", options.requestLog.c_str(), std::strerror(errno));
            return 1;
        }
    }
    Port port(options.link);
    bool served = false;
    if (port.Open()) {
        Server server(options, port, requestLog, &openMask);
        served = server.Run();
    }
    port.Unpublish();
    if (requestLog >= 0) close(requestLog);
    return served ? 0 : 1;
}
