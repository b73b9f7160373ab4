// libFuzzer target: arbitrary bytes into the XML parser, and the round trip of what it accepts.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "tests/unit/xml/tree_text.h"
#include "xml/xml.h"

namespace {

void check(bool condition) {
    if (!condition)
        std::abort();
}

// A tree the writer can express: it has elements (the bare declaration line does not
// pass the parser's pre-check), and no top-level element read from a "<?...?>" tag,
// whose short form " />" would no longer end in "?".
bool writable(const XmlDocument& document) {
    if (document.elementCount() == 0)
        return false;
    for (int i = 0; i < document.elementCount(); ++i) {
        if (document.elementAt(i)->name().starts_with('?'))
            return false;
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    XmlTranslator translator;
    XmlDocument first;
    if (!translator.buildStructure(text, first)) {
        check(first.elementCount() == 0);
        return 0;
    }
    if (!writable(first))
        return 0;

    const std::string written = translator.buildDocument(first);
    XmlDocument second;
    check(translator.buildStructure(written, second));
    check(treeText(second) == treeText(first));
    check(translator.buildDocument(second) == written);
    return 0;
}
