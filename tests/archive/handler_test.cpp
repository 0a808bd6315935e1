// The drive handler through its real functions: what it prints, what it
// hands out, and how every damaged drive ends the process.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>

#include "archive/cfs.h"
#include "tests/support/archive_support.h"

namespace {

const std::vector<uint8_t> kMeshBytes = ARCHIVE_TEST_Noise(300, 1);
const std::vector<uint8_t> kPictBytes(5000, 0x5a);  // compresses well: csize far below isize

std::vector<uint8_t> TwoEntryDrive() {
    return CFS_WRITER_Drive(
        {{"wsypa", CFS_TYPE_ASE, kMeshBytes}, {"bootpic", CFS_TYPE_PNG24, kPictBytes}});
}

std::string Opened(const std::string& path, const char* version, uint32_t files) {
    return "CFS_Open: Attempting to open drive " + path +
           " ... done.\nCFS_Open: WendrikFS drive v" + version + " (" + std::to_string(files) +
           " files in drive)\n";
}

// Opens the drive and reads name in a child process.
ARCHIVE_TEST_Outcome OpenAndRead(const std::string& path, const char* name, uint32_t type) {
    return ARCHIVE_TEST_InChild([&] {
        CFS_Open(path.c_str());
        free(CFS_Read(name, type));
    });
}

void ExpectFatal(const ARCHIVE_TEST_Outcome& outcome, const std::string& out) {
    EXPECT_EQ(outcome.status, 1);
    EXPECT_EQ(outcome.out, out);
}

}  // namespace

TEST(DriveOpen, PrintsItsLinesAndHandsOutInflatedEntries) {
    const std::string path = ARCHIVE_TEST_File(TwoEntryDrive());
    const ARCHIVE_TEST_Outcome outcome = ARCHIVE_TEST_InChild([&] {
        CFS_Open(path.c_str());
        uint32_t inflated = 0;
        uint8_t* pict = CFS_Read("bootpic", CFS_TYPE_PNG24, &inflated);
        uint8_t* mesh = CFS_Read("wsypa", CFS_TYPE_ASE);
        if (inflated != kPictBytes.size() || memcmp(pict, kPictBytes.data(), inflated) != 0 ||
            memcmp(mesh, kMeshBytes.data(), kMeshBytes.size()) != 0)
            exit(3);
        CFS_Close();
    });
    EXPECT_EQ(outcome.status, 0);
    EXPECT_EQ(outcome.out, Opened(path, "1.1", 2) + "CFS_Close: Closing drive ... done.\n");
}

TEST(DriveOpen, AcceptsAnyVersionAndAnEmptyDirectory) {
    std::vector<uint8_t> bytes = TwoEntryDrive();
    ARCHIVE_TEST_Patch(bytes, 4, 7);
    ARCHIVE_TEST_Patch(bytes, 8, 3);
    const std::string path = ARCHIVE_TEST_File(bytes);
    const ARCHIVE_TEST_Outcome seven = OpenAndRead(path, "wsypa", CFS_TYPE_ASE);
    EXPECT_EQ(seven.status, 0);
    EXPECT_EQ(seven.out, Opened(path, "7.3", 2));

    const std::string empty = ARCHIVE_TEST_File(CFS_WRITER_Drive({}));
    ExpectFatal(OpenAndRead(empty, "bootpic", CFS_TYPE_PNG24),
                Opened(empty, "1.1", 0) + "CFS_Read: FATAL_ERROR: File not found.\n");
}

TEST(DriveOpen, RejectsWhatIsNotADrive) {
    const std::string attempt = "CFS_Open: Attempting to open drive ";
    const std::string missing = testing::TempDir() + "no_such_drive.cfs";
    ExpectFatal(OpenAndRead(missing, "x", CFS_TYPE_ASE),
                attempt + missing + " ...CFS_Open: FATAL_ERROR: Could not open drive file.\n");

    const std::vector<uint8_t> drive = TwoEntryDrive();
    for (std::vector<uint8_t> bytes : {std::vector<uint8_t>{'C', 'F', 'S', 0, 1, 0, 0, 0},
                                       std::vector<uint8_t>{'C', 'F', 'S', 'X'},
                                       std::vector<uint8_t>{'C', 'F'}, std::vector<uint8_t>{}}) {
        if (bytes.size() > 4) bytes.insert(bytes.end(), drive.begin() + 8, drive.end());
        const std::string path = ARCHIVE_TEST_File(bytes);
        ExpectFatal(
            OpenAndRead(path, "wsypa", CFS_TYPE_ASE),
            attempt + path +
                " ... done.\nCFS_Open: FATAL_ERROR: This is NOT handler-compatible drive file.\n");
    }
}

TEST(DriveOpen, RejectsTruncatedHeadersAndDirectories) {
    const std::vector<uint8_t> drive = TwoEntryDrive();
    const std::string header = ARCHIVE_TEST_File({drive.begin(), drive.begin() + 9});
    ExpectFatal(OpenAndRead(header, "wsypa", CFS_TYPE_ASE),
                "CFS_Open: Attempting to open drive " + header +
                    " ... done.\nCFS_Open: FATAL_ERROR: Drive header is truncated.\n");

    // One entry more than the file could hold, and a directory of 240 GB.
    for (uint32_t count : {uint32_t((drive.size() - 16) / sizeof(CFS_Entry) + 1), 0xffffffffu}) {
        std::vector<uint8_t> bytes = drive;
        ARCHIVE_TEST_Patch(bytes, 12, count);
        const std::string path = ARCHIVE_TEST_File(bytes);
        ExpectFatal(
            OpenAndRead(path, "wsypa", CFS_TYPE_ASE),
            Opened(path, "1.1", count) + "CFS_Open: FATAL_ERROR: Drive directory is truncated.\n");
    }
}

TEST(DriveOpen, RejectsANameWithoutTerminator) {
    std::vector<uint8_t> bytes = TwoEntryDrive();
    memset(&bytes[ARCHIVE_TEST_EntryField(1, offsetof(CFS_Entry, name))], 'n', CFS_NAME_SIZE);
    const std::string path = ARCHIVE_TEST_File(bytes);
    ExpectFatal(OpenAndRead(path, "wsypa", CFS_TYPE_ASE),
                Opened(path, "1.1", 2) +
                    "CFS_Open: FATAL_ERROR: Drive directory holds an unterminated name.\n");
}

TEST(DriveOpen, RejectsADriveThatCannotBeMeasured) {
    const std::vector<uint8_t> drive = TwoEntryDrive();
    int channel[2];
    ASSERT_EQ(pipe(channel), 0);
    ASSERT_EQ(write(channel[1], drive.data(), drive.size()), ssize_t(drive.size()));
    close(channel[1]);
    const std::string path = "/dev/fd/" + std::to_string(channel[0]);
    ExpectFatal(OpenAndRead(path, "wsypa", CFS_TYPE_ASE),
                Opened(path, "1.1", 2) + "CFS_Open: FATAL_ERROR: Could not measure drive file.\n");
    close(channel[0]);
}

TEST(DriveRead, NamesAndTypesMustMatchTheFirstEntryOfTheName) {
    const std::string path = ARCHIVE_TEST_File(TwoEntryDrive());
    ExpectFatal(OpenAndRead(path, "Bootpic", CFS_TYPE_PNG24),
                Opened(path, "1.1", 2) + "CFS_Read: FATAL_ERROR: File not found.\n");
    ExpectFatal(OpenAndRead(path, "bootpic", CFS_TYPE_ASE),
                Opened(path, "1.1", 2) + "CFS_Read: FATAL_ERROR: Wrong file type.\n");

    // A later entry of the same name and the asked type is never looked at.
    std::vector<uint8_t> twice = TwoEntryDrive();
    memcpy(&twice[ARCHIVE_TEST_EntryField(1, offsetof(CFS_Entry, name))], "wsypa", 6);
    const std::string shadowed = ARCHIVE_TEST_File(twice);
    ExpectFatal(OpenAndRead(shadowed, "wsypa", CFS_TYPE_PNG24),
                Opened(shadowed, "1.1", 2) + "CFS_Read: FATAL_ERROR: Wrong file type.\n");
}

TEST(DriveRead, DamagedStoredBytesAreFatal) {
    const std::vector<uint8_t> drive = TwoEntryDrive();
    const size_t csize = ARCHIVE_TEST_EntryField(1, offsetof(CFS_Entry, csize));
    const size_t isize = ARCHIVE_TEST_EntryField(1, offsetof(CFS_Entry, isize));
    const std::string truncated = ARCHIVE_TEST_File({drive.begin(), drive.end() - 1});
    ExpectFatal(OpenAndRead(truncated, "bootpic", CFS_TYPE_PNG24),
                Opened(truncated, "1.1", 2) + "CFS_Read: FATAL_ERROR: Drive access error.\n");

    std::vector<uint8_t> offset_past_end = drive;
    ARCHIVE_TEST_Patch(offset_past_end, csize + 4, 0xfffffff0u);
    std::vector<uint8_t> corrupt = drive;
    corrupt[corrupt.size() - 6] ^= 0xff;
    std::vector<uint8_t> short_isize = drive;
    ARCHIVE_TEST_Patch(short_isize, isize, uint32_t(kPictBytes.size() - 1));
    const std::pair<std::vector<uint8_t>, const char*> cases[] = {
        {offset_past_end, "CFS_Read: FATAL_ERROR: Drive access error.\n"},
        {corrupt, "CFS_Read: Fatal error: decompression failed.\n"},
        {short_isize, "CFS_Read: Fatal error: decompression failed.\n"}};
    for (const auto& [bytes, message] : cases) {
        const std::string path = ARCHIVE_TEST_File(bytes);
        ExpectFatal(OpenAndRead(path, "bootpic", CFS_TYPE_PNG24), Opened(path, "1.1", 2) + message);
    }
}

// An isize above the inflated length is accepted; the reported length is
// the inflated one, and even a 4 GiB claim is read in a 1 GiB address space.
TEST(DriveRead, IsizeAboveTheInflatedLengthIsAccepted) {
    for (uint32_t claim : {uint32_t(kPictBytes.size() + 100), 0xffffffffu}) {
        std::vector<uint8_t> bytes = TwoEntryDrive();
        ARCHIVE_TEST_Patch(bytes, ARCHIVE_TEST_EntryField(1, offsetof(CFS_Entry, isize)), claim);
        const std::string path = ARCHIVE_TEST_File(bytes);
        const ARCHIVE_TEST_Outcome outcome = ARCHIVE_TEST_InChild([&] {
#if !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__)
            const rlimit limit{1u << 30, 1u << 30};
            setrlimit(RLIMIT_AS, &limit);
#endif
            CFS_Open(path.c_str());
            uint32_t inflated = 0;
            const uint8_t* pict = CFS_Read("bootpic", CFS_TYPE_PNG24, &inflated);
            exit(inflated == kPictBytes.size() && memcmp(pict, kPictBytes.data(), inflated) == 0
                     ? 0
                     : 3);
        });
        EXPECT_EQ(outcome.status, 0) << claim << ": " << outcome.out;
    }
}

TEST(DriveLifecycle, CloseOnlyClosesAnOpenDriveAndReadsNeedOne) {
    const std::string path = ARCHIVE_TEST_File(TwoEntryDrive());
    const ARCHIVE_TEST_Outcome closes = ARCHIVE_TEST_InChild([&] {
        if (CFS_Close() != 0) exit(3);
        CFS_Open(path.c_str());
        CFS_Close();
        if (CFS_Close() != 0) exit(3);
    });
    EXPECT_EQ(closes.status, 0);
    EXPECT_EQ(closes.out, Opened(path, "1.1", 2) + "CFS_Close: Closing drive ... done.\n");

    ExpectFatal(ARCHIVE_TEST_InChild([] { CFS_Read("bootpic", CFS_TYPE_PNG24); }),
                "CFS_Read: FATAL_ERROR: Drive is not open.\n");
    ExpectFatal(
        ARCHIVE_TEST_InChild([&] {
            CFS_Open(path.c_str());
            CFS_Close();
            CFS_Read("bootpic", CFS_TYPE_PNG24);
        }),
        Opened(path, "1.1", 2) +
            "CFS_Close: Closing drive ... done.\nCFS_Read: FATAL_ERROR: Drive is not open.\n");
}

TEST(DriveAllocation, FailedAllocationsAreFatal) {
    const std::vector<uint8_t> drive = TwoEntryDrive();
    uint32_t csize;
    memcpy(&csize, &drive[ARCHIVE_TEST_EntryField(1, offsetof(CFS_Entry, csize))], 4);
    const std::string path = ARCHIVE_TEST_File(drive);
    const std::pair<size_t, std::string> cases[] = {
        {2 * sizeof(CFS_Entry),
         Opened(path, "1.1", 2) + "CFS_Open: FATAL_ERROR: Memory allocation failed.\n"},
        {csize, Opened(path, "1.1", 2) + "CFS_Read: FATAL_ERROR: Memory allocation failed.\n"},
        {kPictBytes.size(),
         Opened(path, "1.1", 2) + "CFS_Read: FATAL_ERROR: Memory allocation failed.\n"}};
    for (const auto& [size, out] : cases) {
        if (!ARCHIVE_TEST_FailAllocationsOf(0))
            GTEST_SKIP() << "the allocator cannot be replaced here";
        ExpectFatal(ARCHIVE_TEST_InChild([&] {
                        ARCHIVE_TEST_FailAllocationsOf(size);
                        CFS_Open(path.c_str());
                        CFS_Read("bootpic", CFS_TYPE_PNG24);
                    }),
                    out);
    }
}
