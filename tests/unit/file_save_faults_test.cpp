// Saving when the system fails: every step of the replacing write failing in
// turn, the in-place write for folders that refuse new files, read-only
// files and vanished folders. The tests run as root, which ignores
// permissions, so the refusals root would not see are made by the seam.
#include <gtest/gtest.h>

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "document/document.h"
#include "document/record_list.h"
#include "document/save.h"
#include "platform/platform_native.h"
#include "shell/editor_state.h"

namespace {

std::string readAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void writeAll(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

std::vector<std::string> entries(const std::string& dir) {
    std::vector<std::string> names;
    if (DIR* d = opendir(dir.c_str())) {
        while (dirent* e = readdir(d)) {
            if (std::strcmp(e->d_name, ".") != 0 && std::strcmp(e->d_name, "..") != 0) names.push_back(e->d_name);
        }
        closedir(d);
    }
    return names;
}

class SaveFaults : public ::testing::Test {
protected:
    void SetUp() override {
        resetNativeSeam();
        char pattern[] = "/tmp/moxel-save-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir = pattern;
        path = dir + "/doc.bin";
        s = allocateEditorState();
        // An edited document over a longer file on disk.
        writeAll(path, kOriginal);
        const std::string text = "edited";
        s->documentBytes = static_cast<uint8_t*>(std::malloc(text.size() + kSpareBytes));
        std::memcpy(s->documentBytes, text.data(), text.size());
        s->documentSize = static_cast<uint32_t>(text.size());
        s->spareCapacity = kSpareBytes;
        ASSERT_EQ(resetDocumentModel(*s), 1);
        ASSERT_EQ(recordChange(*s, 0, 0, 'o', 0, nullptr), 1);
        s->modified = 1;
    }
    void TearDown() override {
        freeRecordLists(*s);
        std::free(s->documentBytes);
        freeEditorState(s);
        for (const std::string& name : entries(dir)) ::unlink((dir + "/" + name).c_str());
        ::rmdir(dir.c_str());
    }
    // The failed save left everything as it was, and said so once.
    void expectNothingChanged(unsigned code) {
        EXPECT_EQ(readAll(path), kOriginal);
        EXPECT_EQ(entries(dir), std::vector<std::string>{"doc.bin"}) << "a temporary file was left";
        EXPECT_EQ(s->modified, 1);
        EXPECT_EQ(s->changeCount, 1);
        ASSERT_EQ(nativeSeam().events.size(), 1u);
        EXPECT_EQ(nativeSeam().events[0].errorCode, code);
    }

    static inline const std::string kOriginal = "the original content, longer than the document";
    std::string dir;
    std::string path;
    EditorState* s = nullptr;
};

TEST_F(SaveFaults, EveryStepOfTheReplacingWriteFailsWithoutTouchingTheFile) {
    struct Case {
        FileStep step;
        unsigned code;
    };
    for (Case c : {Case{FileStep::CreateTemporary, ENOSPC}, Case{FileStep::Write, ENOSPC}, Case{FileStep::Flush, EIO},
                   Case{FileStep::Close, EIO}, Case{FileStep::Replace, EBUSY}}) {
        SCOPED_TRACE(static_cast<int>(c.step));
        nativeSeam().events.clear();
        nativeSeam().fileFaults = {{c.step, c.code}};
        EXPECT_EQ(saveDocument(*s, nullptr, path.c_str()), 0);
        expectNothingChanged(c.code);
    }
    // The same steps succeed: the file holds exactly the document.
    nativeSeam().fileFaults.clear();
    nativeSeam().fileSteps.clear();
    EXPECT_EQ(saveDocument(*s, nullptr, path.c_str()), 1);
    EXPECT_EQ(readAll(path), "edited");
    EXPECT_EQ(nativeSeam().fileSteps, (std::vector<FileStep>{FileStep::CreateTemporary, FileStep::Write,
                                                             FileStep::Flush, FileStep::Close, FileStep::Replace}));
    EXPECT_EQ(entries(dir), std::vector<std::string>{"doc.bin"});
    EXPECT_EQ(s->modified, 0);
    EXPECT_EQ(s->changeCount, 0);
}

TEST_F(SaveFaults, AFolderThatRefusesNewFilesGetsTheFileWrittenInPlace) {
    ::chmod(path.c_str(), 0640);
    nativeSeam().fileFaults = {{FileStep::CreateTemporary, EACCES}};
    EXPECT_EQ(saveDocument(*s, nullptr, path.c_str()), 1);
    // Whole, then cut to the document's size, then flushed; the file keeps its mode.
    EXPECT_EQ(readAll(path), "edited");
    EXPECT_EQ(nativeSeam().fileSteps,
              (std::vector<FileStep>{FileStep::CreateTemporary, FileStep::OpenTarget, FileStep::Write,
                                     FileStep::Truncate, FileStep::Flush, FileStep::Close}));
    struct stat st {};
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
    EXPECT_EQ(entries(dir), std::vector<std::string>{"doc.bin"});
    EXPECT_EQ(s->modified, 0);
    EXPECT_TRUE(nativeSeam().events.empty());
}

TEST_F(SaveFaults, InPlaceWriteRefusedOrFailingIsReportedAndKeepsTheDocument) {
    // The file itself cannot be opened: read-only, or locked by another program.
    for (bool readOnly : {true, false}) {
        SCOPED_TRACE(readOnly);
        nativeSeam().events.clear();
        nativeSeam().fileFaults = {{FileStep::CreateTemporary, EACCES}};
        if (readOnly) ::chmod(path.c_str(), 0444);
        else nativeSeam().fileFaults[FileStep::OpenTarget] = EBUSY;
        EXPECT_EQ(saveDocument(*s, nullptr, path.c_str()), 0);
        expectNothingChanged(readOnly ? EACCES : EBUSY);
        ::chmod(path.c_str(), 0644);
    }
    // Failing once the writing has begun: reported, the document stays
    // modified with its records, and the file is closed again.
    for (FileStep step : {FileStep::Write, FileStep::Truncate, FileStep::Flush, FileStep::Close}) {
        SCOPED_TRACE(static_cast<int>(step));
        nativeSeam().events.clear();
        nativeSeam().fileSteps.clear();
        nativeSeam().fileFaults = {{FileStep::CreateTemporary, EACCES}, {step, EIO}};
        EXPECT_EQ(saveDocument(*s, nullptr, path.c_str()), 0);
        ASSERT_EQ(nativeSeam().events.size(), 1u);
        EXPECT_EQ(nativeSeam().events[0].errorCode, static_cast<unsigned>(EIO));
        EXPECT_EQ(nativeSeam().fileSteps.back(), FileStep::Close);
        EXPECT_EQ(s->modified, 1);
        EXPECT_EQ(s->changeCount, 1);
        EXPECT_EQ(entries(dir), std::vector<std::string>{"doc.bin"});
    }
}

TEST_F(SaveFaults, ReadOnlyFilesVanishedFoldersAndNewNamesInRefusingFolders) {
    // A read-only file is refused by the replace, as Windows refuses it.
    ::chmod(path.c_str(), 0444);
    EXPECT_EQ(saveDocument(*s, nullptr, path.c_str()), 0);
    expectNothingChanged(EACCES);
    ::chmod(path.c_str(), 0644);

    // A folder that is gone.
    nativeSeam().events.clear();
    const std::string gone = dir + "/gone/doc.bin";
    EXPECT_EQ(saveDocument(*s, nullptr, gone.c_str()), 0);
    expectNothingChanged(ENOENT);

    // A new name in a folder that takes no new file: nothing to write in place.
    nativeSeam().events.clear();
    nativeSeam().fileFaults = {{FileStep::CreateTemporary, EACCES}};
    const std::string fresh = dir + "/new.bin";
    EXPECT_EQ(saveDocument(*s, nullptr, fresh.c_str()), 0);
    expectNothingChanged(EACCES);
}

}  // namespace
