// The firmware update reader on any bytes: it never crashes, and what it accepts is sound for the writer
// (whole words at even addresses, at least one of them sent); what it refuses is described and empty.

#include <cstdint>
#include <cstdlib>

#include "update/UpdateFile.h"

using namespace zendra::update;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray text(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const UpdateFileContents contents = ParseUpdateFile(text);
    if (contents.IsValid()) {
        if (CountSentWords(contents) == 0 || !DescribeProblem(contents).isEmpty()) std::abort();
    } else {
        if (!contents.words.isEmpty() || DescribeProblem(contents).isEmpty()) std::abort();
    }
    return 0;
}
