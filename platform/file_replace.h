// Writing a whole file so that a failure never costs the file on disk.
//
// The safe way: the bytes go into a new temporary file beside the target,
// which is flushed and then put in the target's place in one step; until that
// step the target is untouched, and a failure removes the temporary file. A
// folder that refuses new files (while the file itself may be written) leaves
// only the second way: the file is written in place, whole, then cut to its
// new size and flushed. That way a failure half-way leaves a mixed file.
#pragma once

#include <cstdint>

// The steps on one target, each done by the system's own calls; every step
// returns 0 or the system's error code. One file is open at a time.
class FileWriteSteps {
public:
    virtual ~FileWriteSteps() = default;
    virtual bool targetExists() = 0;
    // A new temporary file in the target's folder, opened for writing.
    virtual uint32_t createTemporary() = 0;
    // The existing target opened for writing, not truncated, shared with nobody.
    virtual uint32_t openTarget() = 0;
    virtual uint32_t write(const uint8_t* data, uint32_t size) = 0;
    // Ends the open file at `size` bytes.
    virtual uint32_t truncate(uint32_t size) = 0;
    virtual uint32_t flush() = 0;
    virtual uint32_t close() = 0;
    // Puts the closed temporary file in the target's place (keeping the
    // target's attributes); a target that does not exist is simply created.
    virtual uint32_t replace() = 0;
    virtual void removeTemporary() = 0;
    // Whether `error` is how a folder refuses a new file (access denied).
    virtual bool refusesNewFile(uint32_t error) const = 0;
};

// Writes `size` bytes as the new content of the target: through a temporary
// file when the folder takes one, else in place when the target exists.
// Returns 0 or the error code of the step that failed. After a failure the
// target is as it was, except when the in-place write itself failed after it
// began; no temporary file remains, except when the system lost the target
// while putting the temporary file in its place, so that file is the only copy.
uint32_t writeReplacing(FileWriteSteps& steps, const uint8_t* data, uint32_t size);
