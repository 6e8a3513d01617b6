// Feeds arbitrary bytes to the OBJ reader as a model file: reading, the face checks and the
// expansion run exactly as when the registry loads a mesh, minus the upload.
#include "Mesh3D.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

namespace {

std::string path;
int fd = -1;

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // The reader reports bad faces on standard output; the fuzzer's own output is on stderr.
    if (!std::freopen("/dev/null", "w", stdout)) std::abort();
    const char* tmp = std::getenv("TMPDIR");
    std::string name = std::string(tmp ? tmp : "/tmp") + "/skorvane-objfuzz-XXXXXX";
    fd = mkstemp(name.data());
    if (fd < 0) std::abort();
    // The reader opens the file by name; this one stays reachable through the descriptor
    // and leaves nothing behind.
    unlink(name.c_str());
    path = "/proc/self/fd/" + std::to_string(fd);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (ftruncate(fd, 0) != 0 || pwrite(fd, data, size, 0) != ssize_t(size)) std::abort();
    vexel::Mesh3D::parse(path.c_str());
    return 0;
}
