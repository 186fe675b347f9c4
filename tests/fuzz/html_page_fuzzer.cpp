// libFuzzer target for the HTML pages of dialogs: any bytes as a page, any
// link as a hot spot, any refresh target. A page may be nonsense; reading it
// must never crash, and every link must lie within the text it marks.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "dialogs/HtmlPage.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);
    // Every picture is found: its bytes go into the rich text as the page asks.
    const RichPage page = HtmlToRichText(input, [](const std::string&) -> std::optional<PageBitmap> {
        return PageBitmap{std::string(48, '\x7f'), 2, 1};
    });
    for (const PageLink& link : page.links)
        if (link.start < 0 || link.length <= 0 || static_cast<size_t>(link.start + link.length) > page.plainText.size())
            std::abort();
    ClassifyHotSpot(input);
    RefreshTargetFile(input);
    return 0;
}
