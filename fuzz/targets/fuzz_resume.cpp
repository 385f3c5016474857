// The resume places: what is written reads back the same, within the bound.
#include "fuzzsupport.h"
#include "core/resumeplaces.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::vector<ResumePlace> places = resumeplaces::parse(fuzzsupport::bytes(data, size));
    const QByteArray text = resumeplaces::format(places);
    const std::vector<ResumePlace> back = resumeplaces::parse(text);
    fuzzsupport::require(back.size() <= places.size(), "no place is made up");
    fuzzsupport::require(text.size() <= resumeplaces::kMaxBytes || back.size() == 1, "within the bound");
    for (size_t i = 0; i < back.size(); ++i)
        fuzzsupport::require(back[i].folder == places[i].folder && back[i].file == places[i].file,
                             "names read back as written");
    fuzzsupport::require(resumeplaces::format(back) == text, "written again, the same text");
    return 0;
}
