// The directions client reading one reply, through its public entry point.
#include "cannednetwork.h"
#include "fuzzapp.h"

#include "directions/googledirections.h"

#include <cstddef>
#include <cstdint>

static CannedNetwork *network;

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    startFuzzApplication(argc, argv);
    network = new CannedNetwork;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    network->setBody(QByteArray(reinterpret_cast<const char *>(data), int(size)));
    GoogleDirections directions(network, nullptr);
    if (directions.query("Toronto", "Montreal", "driving", true, "metric", {}))
        waitFor(&directions, &GoogleDirections::finish);
    return 0;
}
