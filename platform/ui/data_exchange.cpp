#include "platform/ui/data_exchange.h"

#include "platform/ui/dialog.h"

#include <climits>
#include <string>

namespace platform::ui {
namespace {

// Optional white space, an optional sign, one or more digits, optional white space; nothing else.
bool ParseInt(const std::u16string& text, int& value)
{
    size_t at = 0;
    auto skipSpace = [&] {
        while (at < text.size() && (text[at] == u' ' || text[at] == u'\t'))
            ++at;
    };
    skipSpace();
    bool negative = false;
    if (at < text.size() && (text[at] == u'-' || text[at] == u'+'))
        negative = text[at++] == u'-';
    long long magnitude = 0;
    size_t digits = 0;
    for (; at < text.size() && text[at] >= u'0' && text[at] <= u'9'; ++at, ++digits) {
        magnitude = magnitude * 10 + (text[at] - u'0');
        if (magnitude > static_cast<long long>(INT_MAX) + 1)
            return false;
    }
    skipSpace();
    const long long result = negative ? -magnitude : magnitude;
    if (digits == 0 || at != text.size() || result > INT_MAX || result < INT_MIN)
        return false;
    value = static_cast<int>(result);
    return true;
}

// A number that the control holds itself: a check state or a list selection.
void ExchangeInt(DataExchange& dx, int id, int& value, int (DialogItem::*get)() const, void (DialogItem::*set)(int))
{
    DialogItem item = dx.GetDialog().GetDlgItem(id);
    if (dx.IsSaving())
        value = (item.*get)();
    else
        (item.*set)(value);
}

}  // namespace

void DDX_Text(DataExchange& dx, int id, std::u16string& value)
{
    DialogItem item = dx.GetDialog().GetDlgItem(id);
    if (dx.IsSaving())
        value = item.GetWindowText();
    else
        item.SetWindowText(value);
}

void DDX_Text(DataExchange& dx, int id, int& value)
{
    DialogItem item = dx.GetDialog().GetDlgItem(id);
    if (!dx.IsSaving()) {
        const std::string digits = std::to_string(value);
        item.SetWindowText(std::u16string(digits.begin(), digits.end()));
        return;
    }
    if (!ParseInt(item.GetWindowText(), value)) {
        item.SetFocusAndSelectAll();
        dx.Fail();
    }
}

void DDX_Check(DataExchange& dx, int id, int& state)
{
    ExchangeInt(dx, id, state, &DialogItem::GetCheck, &DialogItem::SetCheck);
}

void DDX_CBIndex(DataExchange& dx, int id, int& index)
{
    ExchangeInt(dx, id, index, &DialogItem::GetCurSel, &DialogItem::SetCurSel);
}

}  // namespace platform::ui
