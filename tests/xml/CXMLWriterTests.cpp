// Tests for CXMLWriter: the exact byte layout, escaping, round trips through
// the reader, and saving without destroying an existing file.
#include "xml/CXMLDocument.h"
#include "xml/CXMLWriter.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include <sys/stat.h>

namespace {

std::string str(const String& s)
{
    return s.c_str() ? std::string(s.c_str(), s.length()) : std::string();
}

std::string tempPath(const std::string& name)
{
    return ::testing::TempDir() + "qf_xml_writer_" + name;
}

std::string readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

CXMLNode frame(const char* name, int x, int y, int w, int h)
{
    CXMLNode node(String("frame"));
    node.addAttribute(CXMLAttribute("name", name));
    node.addAttribute(CXMLAttribute("x", x));
    node.addAttribute(CXMLAttribute("y", y));
    node.addAttribute(CXMLAttribute("w", w));
    node.addAttribute(CXMLAttribute("h", h));
    return node;
}

} // namespace

TEST(CXMLWriter, ClosesElementsByTheirContent)
{
    CXMLNode empty(String("empty"));
    EXPECT_EQ(str(CXMLWriter::toString(empty, 0)), "<empty />\n");
    EXPECT_EQ(str(CXMLWriter::toString(empty, 2)), "\t\t<empty />\n");

    CXMLNode withText(String("t"));
    withText.text() = String("a<b");
    EXPECT_EQ(str(CXMLWriter::toString(withText, 1)), "\t<t>a&#60;b</t>\n");

    CXMLNode parent(String("p"));
    parent.text() = String("dropped");
    parent.addChild(empty);
    EXPECT_EQ(str(CXMLWriter::toString(parent, 0)), "<p>\n\t<empty />\n</p>");
    EXPECT_EQ(str(CXMLWriter::toString(parent, 1)), "\t<p>\n\t\t<empty />\n\t</p>\n");
}

TEST(CXMLWriter, EscapesTheFiveCharactersOnly)
{
    EXPECT_EQ(str(CXMLWriter::escape(String("\"&<>\n"))), "&#34;&#38;&#60;&#62;&#10;");
    EXPECT_EQ(str(CXMLWriter::escape(String("'\t\r\xC3\xA9 x"))), "'\t\r\xC3\xA9 x");
    EXPECT_EQ(str(CXMLWriter::escape(String("&#34;"))), "&#38;#34;");
    EXPECT_TRUE(CXMLWriter::escape(String()).isEmpty());
    EXPECT_EQ(str(CXMLWriter::escapeAttribute(String("'\t\r\n\"\xC3\xA9"))), "'&#9;&#13;&#10;&#34;\xC3\xA9");
}

TEST(CXMLWriter, SavesTheSpriteDescriptionByteForByte)
{
    CXMLNode sprite(String("sprite"));
    sprite.addChild(frame("hero", 0, 0, 32, 48));
    sprite.addChild(frame("coin", 32, 0, 16, 16));
    sprite.addAttribute(CXMLAttribute("file", "atlas.png"));
    sprite.addAttribute(CXMLAttribute("name", "atlas"));

    const std::string path = tempPath("atlas.xml");
    ASSERT_TRUE(CXMLDocument::save(path.c_str(), sprite));
    EXPECT_EQ(readFile(path),
              "<?xml version=\"1.0\"?>\n"
              "\n"
              "<sprite file=\"atlas.png\" name=\"atlas\">\n"
              "\t<frame name=\"hero\" x=\"0\" y=\"0\" w=\"32\" h=\"48\" />\n"
              "\t<frame name=\"coin\" x=\"32\" y=\"0\" w=\"16\" h=\"16\" />\n"
              "</sprite>");

    CXMLDocument document;
    ASSERT_TRUE(document.load(path.c_str()));
    EXPECT_TRUE(document.isComplete());
    EXPECT_EQ(str(CXMLWriter::toString(document, 0)), str(CXMLWriter::toString(sprite, 0)));
}

TEST(CXMLWriter, AttributeValuesSurviveSaveAndLoad)
{
    const char* values[] = {
        "say \"hi\"", "a&b", "&#34;", "<tag>", "it's", "tab\there", "line\nfeed", "two\n\nfeeds",
        "caf\xC3\xA9 \xE2\x82\xAC", "\r\n", " lead and trail ", "",
    };
    CXMLNode root(String("root"));
    for (std::size_t i = 0; i < std::size(values); ++i)
        root.addAttribute(CXMLAttribute(String().format("v%zu", i), String(values[i])));
    CXMLNode child(String("child"));
    child.addAttribute(CXMLAttribute("mixed", "\"&<>'\t\n\xC3\xA9"));
    root.addChild(child);

    const std::string path = tempPath("roundtrip.xml");
    ASSERT_TRUE(CXMLDocument::save(path.c_str(), root));
    CXMLDocument document;
    ASSERT_TRUE(document.load(path.c_str()));
    ASSERT_EQ(document.attributeCount(), std::size(values));
    for (std::uint32_t i = 0; i < std::size(values); ++i)
        EXPECT_EQ(str(document.attribute(i)->value()), values[i]) << i;
    EXPECT_EQ(str(document.child(0)->attributeValue("mixed")), "\"&<>'\t\n\xC3\xA9");
}

TEST(CXMLWriter, FailedSaveKeepsTheExistingFileAndLeavesNoTemporary)
{
    const std::string folder = tempPath("folder");
    std::filesystem::remove_all(folder);
    std::filesystem::create_directory(folder);
    const std::string path = folder + "/atlas.xml";
    CXMLNode good(String("good"));
    ASSERT_TRUE(CXMLDocument::save(path.c_str(), good));
    const std::string before = readFile(path);

    // A target that cannot be replaced: a non-empty folder of that name.
    const std::string blocked = folder + "/blocked.xml";
    std::filesystem::create_directory(blocked);
    std::ofstream(blocked + "/inside") << "x";
    EXPECT_FALSE(CXMLDocument::save(blocked.c_str(), good));

    // A folder that does not exist.
    EXPECT_FALSE(CXMLDocument::save((folder + "/missing/a.xml").c_str(), good));
    EXPECT_FALSE(CXMLDocument::save(String(), good));

    // A read-only folder: no temporary file can be created, so the writable
    // file is rewritten in place (skipped as root, who may write anyway).
    if (::geteuid() != 0) {
        std::filesystem::permissions(folder, std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
        EXPECT_TRUE(CXMLDocument::save(path.c_str(), good));
        std::filesystem::permissions(folder, std::filesystem::perms::owner_all);
    }
    EXPECT_EQ(readFile(path), before);

    int entries = 0;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        (void)entry;
        ++entries;
    }
    EXPECT_EQ(entries, 2);  // atlas.xml and blocked.xml, no temporaries
}

TEST(CXMLWriter, SaveReplacesAnExistingFileKeepingItsPermissions)
{
    const std::string path = tempPath("replace.xml");
    std::ofstream(path) << "old content that is longer than the new one, much longer indeed";
    ::chmod(path.c_str(), 0640);
    ASSERT_TRUE(CXMLDocument::save(path.c_str(), CXMLNode(String("new"))));
    EXPECT_EQ(readFile(path), "<?xml version=\"1.0\"?>\n\n<new />\n");
    struct stat info {};
    ASSERT_EQ(::stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0640u);
}
