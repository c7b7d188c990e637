// CXMLDocument: fills the tree by running expat over a file or a text.
//
// The text is fed as a stream that has not ended (isFinal false), so a
// document that stops early is not an error; one without any element is. Each element start appends a
// child to the cursor node and moves the cursor onto it; each end moves it
// back to the parent. Of an element's character data only the last run that
// expat delivers is kept, and runs whose first byte, read as a signed 8-bit
// number, is below 32 are dropped (indentation, and text starting with a
// non-ASCII character).
//
// Expat's protection against entity expansion (billion laughs) stays at its
// defaults. Nesting deeper than maxDepth stops the parser, because the tree
// is copied, destroyed and written recursively.
#include "xml/CXMLDocument.h"

#include "core/FileBytes.h"

#include "xml/CXMLWriter.h"

#include <expat.h>

#include <climits>
#include <cstdio>
#include <cstring>
#include <vector>

class CXMLDocument::CParseRun {
public:
    explicit CParseRun(CXMLDocument& document) : document_(document)
    {
        document_.clear();
        document_.cursor_ = &document_;
        document_.complete_ = false;
        parser_ = XML_ParserCreate(nullptr);
        if (parser_ == nullptr) {
            failed_ = true;
            reason_ = "XML: cannot create the parser";
            return;
        }
        XML_SetUserData(parser_, this);
        XML_SetElementHandler(parser_, &CParseRun::onStart, &CParseRun::onEnd);
        XML_SetCharacterDataHandler(parser_, &CParseRun::onText);
    }

    ~CParseRun()
    {
        document_.cursor_ = nullptr;  // meaningful only while parsing
        if (parser_ != nullptr)
            XML_ParserFree(parser_);
    }

    CParseRun(const CParseRun&) = delete;
    CParseRun& operator=(const CParseRun&) = delete;

    // Feeds the next bytes of the text; false once the parser has failed.
    bool feed(const char* bytes, std::size_t count)
    {
        while (!failed_ && count > 0) {
            const int chunk = count > std::size_t(INT_MAX) ? INT_MAX : int(count);
            if (XML_Parse(parser_, bytes, chunk, XML_FALSE) != XML_STATUS_OK)
                fail();
            bytes += chunk;
            count -= std::size_t(chunk);
        }
        return !failed_;
    }

    // Ends the run after the last bytes. The stream is not declared ended,
    // so unclosed elements are no error; but a text in which no element
    // started at all (empty, or not XML) is refused rather than passed off
    // as an empty document. Returns the reason, empty on success.
    const std::string& finish()
    {
        if (!failed_ && document_.name().isEmpty()) {
            failed_ = true;
            reason_ = "XML: no element found";
        }
        return reason_;
    }

    bool succeeded() const { return !failed_; }

private:
    void fail()
    {
        failed_ = true;
        const std::string where = "line " + std::to_string(XML_GetCurrentLineNumber(parser_)) + ", column " +
                                  std::to_string(XML_GetCurrentColumnNumber(parser_) + 1);
        if (stopped_) {
            reason_ = "XML: elements nested deeper than " + std::to_string(maxDepth) + " levels at " + where;
        } else {
            const XML_LChar* message = XML_ErrorString(XML_GetErrorCode(parser_));
            reason_ = "XML: " + std::string(message ? message : "parse error") + " at " + where;
        }
    }

    static void XMLCALL onStart(void* userData, const XML_Char* name, const XML_Char** attributes)
    {
        static_cast<CParseRun*>(userData)->elementStart(name, attributes);
    }

    static void XMLCALL onEnd(void* userData, const XML_Char*)
    {
        static_cast<CParseRun*>(userData)->elementEnd();
    }

    static void XMLCALL onText(void* userData, const XML_Char* text, int length)
    {
        static_cast<CParseRun*>(userData)->characterData(text, length);
    }

    void elementStart(const XML_Char* name, const XML_Char** attributes)
    {
        if (stopped_)
            return;
        if (++depth_ > maxDepth) {
            // Expat may still deliver a callback or two after this; stopped_
            // keeps them away from the tree.
            stopped_ = true;
            XML_StopParser(parser_, XML_FALSE);
            return;
        }
        CXMLNode*& cursor = document_.cursor_;
        if (cursor == nullptr)
            return;
        CXMLNode* target = cursor;
        if (!(cursor == &document_ && document_.name().isEmpty())) {
            target = &cursor->addChild(CXMLNode(String(name)));
            cursor = target;
        } else {
            document_.name() = String(name);
        }
        for (const XML_Char** pair = attributes; pair[0] != nullptr; pair += 2)
            target->addAttribute(CXMLAttribute(String(pair[0]), String(pair[1])));
    }

    void elementEnd()
    {
        if (stopped_)
            return;
        if (depth_ > 0)
            --depth_;
        CXMLNode*& cursor = document_.cursor_;
        if (cursor == nullptr)
            return;
        if (cursor == &document_) {
            cursor = nullptr;  // the outermost element has ended
            document_.complete_ = true;
        } else {
            cursor = cursor->parent();
        }
    }

    void characterData(const XML_Char* text, int length)
    {
        if (stopped_ || length <= 0 || document_.cursor_ == nullptr)
            return;
        if (static_cast<signed char>(text[0]) < 32)
            return;
        document_.cursor_->text() = String(text, std::uint32_t(length));
    }

    CXMLDocument& document_;
    XML_Parser parser_ = nullptr;
    std::uint32_t depth_ = 0;
    bool stopped_ = false;
    bool failed_ = false;
    std::string reason_;
};

CXMLDocument::CXMLDocument(const CXMLDocument& other) : CXMLNode(other), complete_(other.complete_)
{
}

CXMLDocument& CXMLDocument::operator=(const CXMLDocument& other)
{
    CXMLNode::operator=(other);
    cursor_ = nullptr;
    complete_ = other.complete_;
    return *this;
}

bool CXMLDocument::parse(const char* text)
{
    return parseDetailed(text).empty();
}

std::string CXMLDocument::parseDetailed(const char* text)
{
    CParseRun run(*this);
    if (text == nullptr)
        return "XML: no text";
    run.feed(text, std::strlen(text));
    return run.finish();
}

bool CXMLDocument::load(const String& path)
{
    return loadDetailed(path).empty();
}

std::string CXMLDocument::loadDetailed(const String& path)
{
    if (path.c_str() == nullptr)
        return "XML: no file name";
    std::FILE* file = openRegularFile(path.c_str()).release();
    if (file == nullptr)
        return "XML: cannot open " + std::string(path.c_str());

    // The whole text goes to expat in one call, as parse gives it: expat
    // hands over a run of character data in pieces wherever its input is
    // cut, and the last-run rule would then make an element's text depend on
    // where it sits in the file. The file is read in blocks up to the first
    // zero byte (which ends the text, as it ends a zero-terminated string),
    // within a bound. The first block is read before the tree is touched: a
    // file that opens but cannot be read (a folder, say) leaves the tree as
    // it was.
    std::string text;
    std::vector<char> block(64 * 1024);
    bool readFailed = false;
    bool tooLarge = false;
    for (;;) {
        const std::size_t count = std::fread(block.data(), 1, block.size(), file);
        if (std::ferror(file)) {
            readFailed = true;
            break;
        }
        const void* zero = std::memchr(block.data(), 0, count);
        const std::size_t usable = zero ? std::size_t(static_cast<const char*>(zero) - block.data()) : count;
        if (text.size() + usable > maxFileBytes) {
            tooLarge = true;
            break;
        }
        text.append(block.data(), usable);
        if (zero != nullptr || count < block.size())
            break;
    }
    std::fclose(file);
    if (readFailed)
        return "XML: cannot read " + std::string(path.c_str());
    if (tooLarge)
        return "XML: " + std::string(path.c_str()) + " is larger than " + std::to_string(maxFileBytes >> 20) + " MiB";

    CParseRun run(*this);
    run.feed(text.data(), text.size());
    return run.finish();
}

bool CXMLDocument::save(const String& path, const CXMLNode& node)
{
    return CXMLWriter::save(path, node);
}

String CXMLDocument::toString(const CXMLNode& node, int depth)
{
    return CXMLWriter::toString(node, depth);
}
