// The route sheet rendering the steps of a route: each NUL-separated piece of
// the input is one step's instruction (HTML, as the service sends it).
#include "fuzzapp.h"

#include "directions/currdirectionsdlg.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    startFuzzApplication(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray input(reinterpret_cast<const char *>(data), int(size));
    Directions route;
    route.summary = QString::fromUtf8(input.left(64));
    route.copyrights = route.summary;
    for (const QByteArray &piece : input.split('\0')) {
        Step step;
        step.setDescription(QString::fromUtf8(piece));
        step.m_distanceText = step.description().left(16);
        step.m_durationText = step.description().right(16);
        step.toString();
        route.steps << step;
    }
    CurrDirectionsDlg sheet({route, route}, nullptr);
    return 0;
}
