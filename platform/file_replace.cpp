#include "platform/file_replace.h"

namespace {

// Closes the open file; the first error of the two wins.
uint32_t closeAfter(FileWriteSteps& f, uint32_t error) {
    uint32_t closed = f.close();
    return error != 0 ? error : closed;
}

uint32_t writeInPlace(FileWriteSteps& f, const uint8_t* data, uint32_t size) {
    if (uint32_t e = f.openTarget()) return e;
    uint32_t e = f.write(data, size);
    if (e == 0) e = f.truncate(size);
    if (e == 0) e = f.flush();
    return closeAfter(f, e);
}

}  // namespace

uint32_t writeReplacing(FileWriteSteps& f, const uint8_t* data, uint32_t size) {
    uint32_t e = f.createTemporary();
    if (e != 0) {
        if (f.refusesNewFile(e) && f.targetExists()) return writeInPlace(f, data, size);
        return e;
    }
    e = f.write(data, size);
    if (e == 0) e = f.flush();
    e = closeAfter(f, e);
    if (e != 0) {
        f.removeTemporary();
        return e;
    }
    const bool existed = f.targetExists();
    e = f.replace();
    // A target lost half-way through the replace leaves the new bytes only in
    // the temporary file: that one stays.
    if (e != 0 && !(existed && !f.targetExists())) f.removeTemporary();
    return e;
}
