// Tests for CXMLDocument: building the tree through expat, the character
// data rule, truncated and hostile documents, and loading files.
#include "xml/CXMLDocument.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace {

std::string str(const String& s)
{
    return s.c_str() ? std::string(s.c_str(), s.length()) : std::string();
}

std::string tempPath(const std::string& name)
{
    return ::testing::TempDir() + "qf_xml_doc_" + name;
}

void writeFile(const std::string& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), std::streamsize(bytes.size()));
}

const char spriteText[] =
    "<?xml version=\"1.0\"?>\n\n"
    "<sprite file=\"atlas.png\" name=\"atlas\">\n"
    "\t<frame name=\"hero\" x=\"0\" y=\"0\" w=\"32\" h=\"48\" />\n"
    "\t<frame name=\"coin\" x=\"32\" y=\"0\" w=\"16\" h=\"16\" />\n"
    "</sprite>";

} // namespace

TEST(CXMLDocument, LoadsASpriteDescriptionAsTheRootElement)
{
    const std::string path = tempPath("sprite.xml");
    writeFile(path, spriteText);
    CXMLDocument document;
    ASSERT_TRUE(document.load(path.c_str()));
    EXPECT_TRUE(document.isComplete());
    EXPECT_EQ(str(document.name()), "sprite");
    EXPECT_EQ(document.parent(), nullptr);
    ASSERT_EQ(document.attributeCount(), 2u);
    EXPECT_EQ(str(document.attribute(0)->name()), "file");
    EXPECT_EQ(str(document.attribute(1)->name()), "name");
    ASSERT_EQ(document.childCount(), 2u);
    const char* order[] = {"name", "x", "y", "w", "h"};
    for (std::uint32_t i = 0; i < 2; ++i) {
        const CXMLNode* frame = document.child(i);
        EXPECT_EQ(str(frame->name()), "frame");
        EXPECT_EQ(frame->parent(), &document);
        ASSERT_EQ(frame->attributeCount(), 5u);
        for (std::uint32_t a = 0; a < 5; ++a)
            EXPECT_EQ(str(frame->attribute(a)->name()), order[a]);
        EXPECT_TRUE(frame->text().isEmpty());
    }
    EXPECT_EQ(str(document.child(1)->attributeValue("w")), "16");
    EXPECT_TRUE(document.text().isEmpty());  // indentation runs start with control bytes
}

TEST(CXMLDocument, ParseReplacesThePreviousContent)
{
    CXMLDocument document;
    ASSERT_TRUE(document.parse(spriteText));
    ASSERT_TRUE(document.parse("<other k=\"v\"/>"));
    EXPECT_EQ(str(document.name()), "other");
    EXPECT_EQ(document.childCount(), 0u);
    EXPECT_EQ(document.attributeCount(), 1u);
    EXPECT_FALSE(document.parse(nullptr));
    EXPECT_TRUE(document.name().isEmpty());
}

TEST(CXMLDocument, KeepsOnlyTheLastAcceptedRunOfCharacterData)
{
    CXMLDocument document;
    ASSERT_TRUE(document.parse("<r><a>\n\t<b/>\n\t</a><c>  <d/>  </c><e>x&amp;y</e>"
                               "<f>\xC3\xA9t\xC3\xA9</f><g>plain text</g><h>a\tb</h></r>"));
    EXPECT_TRUE(document.child(0)->text().isEmpty());          // line feed and tab indentation
    EXPECT_EQ(str(document.child(1)->text()), "  ");           // space indentation: the last run
    EXPECT_EQ(str(document.child(2)->text()), "y");            // split by the reference
    EXPECT_TRUE(document.child(3)->text().isEmpty());          // starts with a non-ASCII byte
    EXPECT_EQ(str(document.child(4)->text()), "plain text");
    EXPECT_EQ(str(document.child(5)->text()), "a\tb");         // a tab inside a run stays
}

TEST(CXMLDocument, ReferencesInAttributesAreReplaced)
{
    CXMLDocument document;
    ASSERT_TRUE(document.parse("<r v=\"&#34;&amp;&lt;&gt;&apos;&#10;&#233;\"/>"));
    EXPECT_EQ(str(document.attributeValue("v")), "\"&<>'\n\xC3\xA9");
}

TEST(CXMLDocument, TruncatedDocumentKeepsWhatWasReadWithoutError)
{
    CXMLDocument document;
    EXPECT_TRUE(document.parse("<r><a x=\"1\"/><b><c>"));
    EXPECT_FALSE(document.isComplete());
    ASSERT_EQ(document.childCount(), 2u);
    EXPECT_EQ(document.child(1)->childCount(), 1u);

    // Cut inside a tag: the half tag is simply not there.
    EXPECT_TRUE(document.parse("<r><a/><b x=\"1"));
    EXPECT_EQ(document.childCount(), 1u);

    // No element at all is refused, even where expat would wait for more.
    for (const char* noElement : {"", "  \n", "hello", "<!-- c -->", "<a"}) {
        EXPECT_EQ(document.parseDetailed(noElement), "XML: no element found") << noElement;
        EXPECT_TRUE(document.name().isEmpty());
    }
}

TEST(CXMLDocument, WellFormednessErrorFailsButKeepsEarlierNodes)
{
    CXMLDocument document;
    EXPECT_FALSE(document.parse("<r><a/><b></c></r>"));
    EXPECT_EQ(str(document.name()), "r");
    ASSERT_EQ(document.childCount(), 2u);
    EXPECT_EQ(str(document.child(1)->name()), "b");

    EXPECT_EQ(document.parseDetailed("<r>\n<b></c></r>"), "XML: mismatched tag at line 2, column 6");
    EXPECT_FALSE(document.parse("<r a=\"1\" a=\"2\"/>"));    // duplicate attribute
    EXPECT_FALSE(document.parse("<r/><s/>"));               // second root
    EXPECT_FALSE(document.parse("<r>&undefined;</r>"));
}

TEST(CXMLDocument, ZeroByteEndsTheFile)
{
    const std::string path = tempPath("zero.xml");
    writeFile(path, std::string("<r><a/>\0<b/></r>", 16));
    CXMLDocument document;
    EXPECT_TRUE(document.load(path.c_str()));
    EXPECT_FALSE(document.isComplete());
    ASSERT_EQ(document.childCount(), 1u);
    EXPECT_EQ(str(document.child(0)->name()), "a");
}

TEST(CXMLDocument, LargeFileIsReadCompletely)
{
    // Larger than one read block, with an element straddling the boundary.
    std::string text = "<r>";
    for (int i = 0; i < 20000; ++i)
        text += "<item index=\"" + std::to_string(i) + "\"/>";
    text += "</r>";
    const std::string path = tempPath("large.xml");
    writeFile(path, text);
    CXMLDocument document;
    ASSERT_TRUE(document.load(path.c_str()));
    EXPECT_TRUE(document.isComplete());
    ASSERT_EQ(document.childCount(), 20000u);
    EXPECT_EQ(str(document.child(19999)->attributeValue("index")), "19999");
}

TEST(CXMLDocument, LoadAgreesWithParseWhereverTextSits)
{
    // Element text (and a multi-byte character, and a "]" that expat looks
    // past) placed across offset 65536 at every alignment.
    const std::string path = tempPath("straddle.xml");
    for (std::size_t shift = 0; shift < 30; ++shift) {
        std::string text = "<r><pad>" + std::string(65536 - 8 - 15 - 8 + shift, 'p') + "</pad><t>";
        text += "ABCDEFGHIJKLM]NOPQRSTUVWXYZ\xC3\xA9</t></r>";
        writeFile(path, text);
        CXMLDocument loaded;
        CXMLDocument parsed;
        ASSERT_TRUE(loaded.load(path.c_str()));
        ASSERT_TRUE(parsed.parse(text.c_str()));
        ASSERT_EQ(loaded.childCount(), 2u);
        EXPECT_EQ(str(loaded.child(1)->text()), "ABCDEFGHIJKLM]NOPQRSTUVWXYZ\xC3\xA9") << shift;
        EXPECT_EQ(str(loaded.child(1)->text()), str(parsed.child(1)->text())) << shift;
    }
}

TEST(CXMLDocument, UnopenableOrUnreadableFileLeavesTheTree)
{
    CXMLDocument document;
    ASSERT_TRUE(document.parse(spriteText));
    EXPECT_FALSE(document.load(tempPath("does-not-exist.xml").c_str()));
    EXPECT_FALSE(document.load(::testing::TempDir().c_str()));  // a folder
    EXPECT_FALSE(document.load(String()));
    EXPECT_EQ(document.loadDetailed("/nonexistent/x.xml"), "XML: cannot open /nonexistent/x.xml");
    EXPECT_EQ(str(document.name()), "sprite");
    EXPECT_EQ(document.childCount(), 2u);
}

TEST(CXMLDocument, RefusesNestingBeyondTheLimit)
{
    auto nested = [](std::uint32_t depth) {
        std::string text;
        for (std::uint32_t i = 0; i < depth; ++i)
            text += "<n>";
        for (std::uint32_t i = 0; i < depth; ++i)
            text += "</n>";
        return text;
    };
    CXMLDocument document;
    EXPECT_TRUE(document.parse(nested(CXMLDocument::maxDepth).c_str()));
    EXPECT_TRUE(document.isComplete());

    EXPECT_EQ(document.parseDetailed(nested(CXMLDocument::maxDepth + 1).c_str()).rfind(
                  "XML: elements nested deeper than 256 levels at line 1", 0),
              0u);
    std::uint32_t depth = 1;
    for (const CXMLNode* node = &document; node->childCount() > 0; node = node->child(0))
        ++depth;
    EXPECT_EQ(depth, CXMLDocument::maxDepth);  // what was built stays

    // A hostile depth is refused quickly and without exhausting the stack.
    EXPECT_FALSE(document.parse(nested(200000).c_str()));
    CXMLDocument copy(document);
    EXPECT_EQ(copy.childCount(), 1u);
}

TEST(CXMLDocument, EntityExpansionIsBounded)
{
    std::string text = "<?xml version=\"1.0\"?>\n<!DOCTYPE r [\n<!ENTITY e0 \"xxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxx\">\n";
    for (int i = 1; i <= 12; ++i)
        text += "<!ENTITY e" + std::to_string(i) + " \"" + [&] {
            std::string refs;
            for (int k = 0; k < 10; ++k)
                refs += "&e" + std::to_string(i - 1) + ";";
            return refs;
        }() + "\">\n";
    text += "]>\n<r a=\"&e12;\">&e12;</r>";
    CXMLDocument document;
    EXPECT_FALSE(document.parse(text.c_str()));
}
