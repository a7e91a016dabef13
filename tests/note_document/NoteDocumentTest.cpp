#include "note_document/NoteDocument.h"

#include "support/DeviceDbNoteStore.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>

namespace orvelle {
namespace {

using test::gzipped;
using test::kAttachmentCharacter;
using test::noteDocumentBlob;
using test::noteDocumentMessage;

const std::string kText =
    std::string("Trip\nPacking list ünd more\n") + std::string(kAttachmentCharacter) + "\nend";

TEST(NoteDocumentTest, ReadsTheTextAndTheAttachmentsOfItsRuns) {
    NoteDocument document;
    ASSERT_EQ(readNoteDocument(noteDocumentBlob(kText, {"ID-1"}, {"public.jpeg"}), document),
              NoteDocumentStatus::ok);
    EXPECT_EQ(document.text, kText);
    ASSERT_EQ(document.attachments.size(), 1u);
    EXPECT_EQ(document.attachments[0].identifier, "ID-1");
    EXPECT_EQ(document.attachments[0].typeUti, "public.jpeg");
}

TEST(NoteDocumentTest, AttachmentsTakeThePlacesOfTheirMarks) {
    NoteDocument document;
    document.text = "a" + std::string(kAttachmentCharacter) + "b" + std::string(kAttachmentCharacter) + "c";
    document.attachments = {{"1", "x"}};
    const auto label = [](const NoteAttachmentRef& ref) { return "<" + ref.identifier + ">"; };
    EXPECT_EQ(noteTextWithAttachments(document, label), "a<1>bc")
        << "a mark without an attachment is dropped";
    document.attachments = {{"1", "x"}, {"2", "y"}, {"3", "z"}};
    EXPECT_EQ(noteTextWithAttachments(document, label), "a<1>b<2>c\n<3>")
        << "one left over follows at the end";
}

// Every way a stored document can be damaged gives its own status and no document.
TEST(NoteDocumentTest, DamagedDocumentsGiveAStatus) {
    const std::string good = noteDocumentBlob(kText, {"ID-1"}, {"public.jpeg"});
    std::string badCheck = good;
    badCheck[badCheck.size() - 6] ^= 0x55; // inside the CRC-32
    std::string badDeflate = good;
    badDeflate[10] = static_cast<char>(0xff); // the first deflate block header: a reserved block type
    std::string badUtf8Message = noteDocumentMessage("ok \xff\xfe", {}, {});
    const struct Case {
        const char* name;
        std::string bytes;
        NoteDocumentStatus expected;
        std::size_t cap = kMaxNoteDocumentSize;
    } cases[] = {
        {"empty", "", NoteDocumentStatus::notGzip},
        {"plain text", "hello", NoteDocumentStatus::notGzip},
        {"magic only", "\x1f\x8b", NoteDocumentStatus::truncated},
        {"cut in the header", good.substr(0, 6), NoteDocumentStatus::truncated},
        {"cut in the data", good.substr(0, good.size() / 2), NoteDocumentStatus::truncated},
        {"cut before the size", good.substr(0, good.size() - 2), NoteDocumentStatus::truncated},
        {"wrong check", badCheck, NoteDocumentStatus::corrupt},
        {"bad deflate block", badDeflate, NoteDocumentStatus::corrupt},
        {"over the cap", good, NoteDocumentStatus::tooLarge, 16},
        {"not a message", gzipped("\xff\xff\xff\xff\xff"), NoteDocumentStatus::notMessage},
        {"a message without a note", gzipped(std::string("\x08\x01", 2)), NoteDocumentStatus::notMessage},
        {"length past the end", gzipped(std::string("\x12\x7f\x1a\x05", 4)), NoteDocumentStatus::notMessage},
        {"text not UTF-8", gzipped(badUtf8Message), NoteDocumentStatus::badText},
    };
    for (const Case& c : cases) {
        NoteDocument document;
        document.text = "stale";
        EXPECT_EQ(readNoteDocument(c.bytes, document, c.cap), c.expected) << c.name;
        EXPECT_TRUE(document.text.empty() && document.attachments.empty()) << c.name;
    }
}

TEST(NoteDocumentTest, EveryCutOfAStreamIsRefused) {
    const std::string good = noteDocumentBlob(kText, {"ID-1"}, {"public.jpeg"});
    for (std::size_t length = 0; length < good.size(); ++length) {
        NoteDocument document;
        EXPECT_NE(readNoteDocument(std::string_view(good).substr(0, length), document),
                  NoteDocumentStatus::ok)
            << length;
    }
}

TEST(NoteDocumentTest, TheCapBoundsTheInflatedSize) {
    // A kilobyte-sized stream that inflates to 8 MB of zeros.
    const std::string bomb = gzipped(std::string(8 << 20, '\0'));
    std::string out;
    EXPECT_EQ(inflateGzip(bomb, out, 1 << 20), NoteDocumentStatus::tooLarge);
    EXPECT_TRUE(out.empty());
    EXPECT_EQ(inflateGzip(bomb, out, 8 << 20), NoteDocumentStatus::ok) << "exactly the cap is allowed";
    EXPECT_EQ(out.size(), std::size_t(8) << 20);
}

// The inputs of the fuzz target (the fixtures' documents and every input that
// once failed), read the way the target reads them: a gzip stream as it is,
// anything else as the content of one.
TEST(NoteDocumentTest, TheFuzzInputsAreReadWithoutFault) {
    const std::filesystem::path folder =
        std::filesystem::path(ORVELLE_SOURCE_DIR) / "tests/data/note-document";
    int documents = 0;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        std::ifstream in(entry.path(), std::ios::binary);
        const std::string bytes{std::istreambuf_iterator<char>(in), {}};
        const bool isGzip = bytes.size() >= 2 && bytes[0] == '\x1f' && bytes[1] == '\x8b';
        NoteDocument document;
        const auto status = readNoteDocument(isGzip ? bytes : gzipped(bytes), document);
        if (entry.path().filename().string().starts_with("demo-note-")) {
            EXPECT_EQ(status, NoteDocumentStatus::ok) << entry.path();
            EXPECT_FALSE(document.text.empty()) << entry.path();
            ++documents;
        }
    }
    EXPECT_GT(documents, 0) << "the fixtures' documents are missing from " << folder;
}

} // namespace
} // namespace orvelle
