// Pagination of a whole text with the shared line cutter.
#include "layout/linecutter.h"

#include "document/pagetable.h"

#include <new>

int PaginateText(const char16_t* text, std::int32_t length, int lines, int lineLength,
                 const std::uint8_t* advances, PageTable& table, bool breakRules)
{
    table.Clear();
    if (lines <= 0 || lineLength <= 0 || text == nullptr || length <= 0 || advances == nullptr)
        return 0;
    LineCutState state;
    state.breakRules = breakRules;
    std::int32_t pos = 0;
    while (pos < length) {
        const std::int32_t next = CutPage(text, pos, length, lines, lineLength, advances, state);
        if (next == pos)
            break;
        try {
            table.Append(pos);
        } catch (const std::bad_alloc&) {
            // Out of memory: the table ends short rather than the reader failing.
            break;
        }
        pos = next;
    }
    return table.Count();
}
