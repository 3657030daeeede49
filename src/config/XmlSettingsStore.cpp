#include "config/XmlSettingsStore.h"

#include "config/SettingsFileLock.h"
#include "config/SettingsKeys.h"
#include "text/FileBytes.h"
#include "text/Gbk.h"

#include <pugixml.hpp>

#include "platform/os/FileSystem.h"
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>

namespace marlune {
namespace {

// Keep everything the file holds (comments, processing instructions, the declaration,
// the whitespace that indents it), so that a save changes only what was changed.
constexpr unsigned kParseOptions = pugi::parse_full | pugi::parse_ws_pcdata;

bool IsXmlBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

std::string_view TrimXmlBlanks(std::string_view text) {
    while (!text.empty() && IsXmlBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsXmlBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

bool IsIndentation(pugi::xml_node node) {
    return node.type() == pugi::node_pcdata && TrimXmlBlanks(node.value()).empty();
}

char AsciiLower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (AsciiLower(a[i]) != AsciiLower(b[i]))
            return false;
    }
    return true;
}

// The encoding named by the XML declaration at the start of the bytes, or "".
std::string_view DeclaredEncoding(std::string_view bytes) {
    if (bytes.substr(0, 5) != "<?xml")
        return {};
    std::size_t end = bytes.find("?>");
    if (end == std::string_view::npos)
        return {};
    std::string_view declaration = bytes.substr(5, end - 5);
    std::size_t at = declaration.find("encoding");
    if (at == std::string_view::npos)
        return {};
    at += 8;
    while (at < declaration.size() && IsXmlBlank(declaration[at]))
        ++at;
    if (at >= declaration.size() || declaration[at] != '=')
        return {};
    ++at;
    while (at < declaration.size() && IsXmlBlank(declaration[at]))
        ++at;
    if (at >= declaration.size() || (declaration[at] != '"' && declaration[at] != '\''))
        return {};
    std::size_t close = declaration.find(declaration[at], at + 1);
    if (close == std::string_view::npos)
        return {};
    return declaration.substr(at + 1, close - at - 1);
}

bool NamesGbk(std::string_view encoding) {
    for (std::string_view name : {"GBK", "GB2312", "CP936", "X-GBK", "WINDOWS-936"}) {
        if (EqualsIgnoringCase(encoding, name))
            return true;
    }
    return false;
}

bool StartsWithByteOrderMark(std::string_view bytes) {
    return bytes.substr(0, 3) == "\xEF\xBB\xBF" || bytes.substr(0, 2) == "\xFF\xFE" ||
           bytes.substr(0, 2) == "\xFE\xFF";
}

// An XML element name: what the store can write and parse back. Non-ASCII
// characters are accepted as the name characters they almost always are.
bool IsElementName(std::string_view name) {
    if (name.empty())
        return false;
    auto isStart = [](unsigned char c) {
        return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_' || c == ':' || c >= 0x80;
    };
    auto isPart = [&](unsigned char c) {
        return isStart(c) || (c >= '0' && c <= '9') || c == '.' || c == '-';
    };
    if (!isStart(static_cast<unsigned char>(name.front())))
        return false;
    for (char c : name.substr(1)) {
        if (!isPart(static_cast<unsigned char>(c)))
            return false;
    }
    return true;
}

// The next node after this one in document order within the subtree of top, or null.
// Walking this way needs no recursion, however deep a hostile file nests.
pugi::xml_node NextInSubtree(pugi::xml_node node, pugi::xml_node top) {
    if (pugi::xml_node child = node.first_child())
        return child;
    while (node != top && !node.next_sibling())
        node = node.parent();
    return node == top ? pugi::xml_node() : node.next_sibling();
}

// The texts of all descendants joined, the indentation between elements left out.
std::string JoinedText(pugi::xml_node element) {
    std::string text;
    for (pugi::xml_node node = element.first_child(); node; node = NextInSubtree(node, element)) {
        if ((node.type() == pugi::node_pcdata && !IsIndentation(node)) || node.type() == pugi::node_cdata)
            text.append(node.value());
    }
    return std::string(TrimXmlBlanks(text));
}

// Removes every descendant, the deepest first, so that no recursion is needed.
void RemoveChildren(pugi::xml_node element) {
    pugi::xml_node node = element;
    while (true) {
        if (pugi::xml_node last = node.last_child()) {
            node = last;
            continue;
        }
        if (node == element)
            break;
        pugi::xml_node parent = node.parent();
        parent.remove_child(node);
        node = parent;
    }
}

void ReplaceText(pugi::xml_node element, std::string_view value) {
    RemoveChildren(element);
    element.append_child(pugi::node_pcdata).set_value(std::string(value).c_str());
}

// Appends the element, indented like its siblings when the Body is laid out on lines.
void AppendElement(pugi::xml_node body, std::string_view key, std::string_view value) {
    std::string name(key);
    pugi::xml_node closing = body.last_child();
    if (!IsIndentation(closing)) {
        ReplaceText(body.append_child(name.c_str()), value);
        return;
    }
    std::string indentation;
    pugi::xml_node firstElement =
        body.find_child([](pugi::xml_node n) { return n.type() == pugi::node_element; });
    if (firstElement && IsIndentation(firstElement.previous_sibling()))
        indentation = firstElement.previous_sibling().value();
    else
        indentation = std::string(closing.value()) + "  ";
    body.insert_child_before(pugi::node_pcdata, closing).set_value(indentation.c_str());
    ReplaceText(body.insert_child_before(name.c_str(), closing), value);
}

// How a settings file is written, so that a save keeps it in the same form.
struct DocumentForm {
    bool gbk = false; // decoded from GBK, written back in GBK
    pugi::xml_encoding encoding = pugi::encoding_utf8;
    bool byteOrderMark = false;
    bool endsWithLineBreak = false;
    bool writable = true;
};

// Parses the bytes of a settings file; false when they do not parse or give no root.
bool ParseDocument(const std::string& bytes, pugi::xml_document& document, DocumentForm& form) {
    form.byteOrderMark = StartsWithByteOrderMark(bytes);
    form.endsWithLineBreak = !bytes.empty() && bytes.back() == '\n';
    pugi::xml_parse_result result;
    if (!form.byteOrderMark && NamesGbk(DeclaredEncoding(bytes))) {
        // Decode first; the file is written back in GBK, declaration and all. Bytes
        // that are no GBK could not be written back as they were: such a file is
        // read but never rewritten.
        form.gbk = true;
        std::string utf8 = GbkToUtf8(bytes);
        form.writable = Utf8ToGbk(utf8) == bytes;
        result = document.load_buffer(utf8.data(), utf8.size(), kParseOptions, pugi::encoding_utf8);
        form.encoding = pugi::encoding_utf8;
    } else {
        result = document.load_buffer(bytes.data(), bytes.size(), kParseOptions, pugi::encoding_auto);
        form.encoding = result.encoding;
    }
    return result && document.document_element();
}

} // namespace

// The settings file as last read (or written) by a store, with the file's identity at that
// moment: a store reads the file once, not once per key, and reads it again only when the
// file has changed since.
class SettingsDocument {
public:
    // False when the file cannot be read (or is no regular file, or too large), does not
    // parse or has no root element.
    bool load(const std::string& path) {
        FileRead file = ReadRegularFile(path);
        if (!file.ok() || !ParseDocument(file.bytes, m_document, m_form))
            return false;
        m_stamp = StampOf(path);
        return true;
    }

    // True while the file is the one this document was read from or written to.
    bool isCurrent(const std::string& path) const { return m_stamp && *m_stamp == StampOf(path); }

    // The first element two levels below the root whose name is the key.
    pugi::xml_node findKey(std::string_view key) const {
        for (pugi::xml_node child : m_document.document_element().children()) {
            for (pugi::xml_node grandchild : child.children()) {
                if (grandchild.type() == pugi::node_element && key == grandchild.name())
                    return grandchild;
            }
        }
        return {};
    }

    // The first element named "Body" in document order, or null.
    pugi::xml_node firstBody() const {
        for (pugi::xml_node node = m_document.first_child(); node; node = NextInSubtree(node, m_document)) {
            if (node.type() == pugi::node_element && std::string_view(node.name()) == "Body")
                return node;
        }
        return {};
    }

    bool isChildOfRoot(pugi::xml_node node) const { return node.parent() == m_document.document_element(); }

    bool save(const std::string& path) const {
        if (!m_form.writable)
            return false;
        std::string bytes;
        if (m_form.gbk || m_form.encoding == pugi::encoding_utf8) {
            // Whitespace between the top-level nodes is not kept by the parser: put
            // each on its own line, as the shipped file has them.
            std::ostringstream out;
            for (pugi::xml_node node = m_document.first_child(); node; node = node.next_sibling()) {
                if (node != m_document.first_child())
                    out << '\n';
                node.print(out, "", pugi::format_raw, pugi::encoding_utf8);
            }
            if (m_form.endsWithLineBreak)
                out << '\n';
            bytes = out.str();
            if (m_form.gbk)
                bytes = Utf8ToGbk(bytes);
            else if (m_form.byteOrderMark)
                bytes.insert(0, "\xEF\xBB\xBF");
        } else {
            std::ostringstream out;
            unsigned flags = pugi::format_raw | pugi::format_no_declaration;
            if (m_form.byteOrderMark)
                flags |= pugi::format_write_bom;
            m_document.save(out, "", flags, m_form.encoding);
            bytes = out.str();
        }
        // Never write what could not be read back: the settings would be lost.
        pugi::xml_document check;
        DocumentForm checkForm;
        if (!ParseDocument(bytes, check, checkForm))
            return false;
        if (ReplaceSettingsFile(path, bytes) != ReplaceResult::Replaced) {
            m_stamp.reset(); // the document now differs from the file: read it again
            return false;
        }
        m_stamp = StampOf(path);
        return true;
    }

    // AddKey on this loaded document.
    bool addKey(const std::string& path, std::string_view key, std::string_view value) {
        if (findKey(key))
            return true;
        return appendKey(key, value) && save(path);
    }

    // The key's text replaced, or the key added with it, in memory only; false when a
    // missing key cannot be added where it would be found again.
    bool setValue(std::string_view key, std::string_view value) {
        if (pugi::xml_node element = findKey(key)) {
            ReplaceText(element, value);
            return true;
        }
        return appendKey(key, value);
    }

private:
    bool appendKey(std::string_view key, std::string_view value) {
        if (!IsElementName(key))
            return false;
        // A key under a Body that is not a child of the root could never be found
        // again, and every read would add it once more.
        pugi::xml_node body = firstBody();
        if (!body || !isChildOfRoot(body))
            return false;
        AppendElement(body, key, value);
        return true;
    }

    using Stamp = os::FileStamp;
    static std::optional<Stamp> StampOf(const std::string& path) { return os::StampOf(path); }

    pugi::xml_document m_document;
    DocumentForm m_form;
    mutable std::optional<Stamp> m_stamp; // a save (const on the document) updates it
};

XmlSettingsStore::XmlSettingsStore() = default;
XmlSettingsStore::~XmlSettingsStore() = default;

void XmlSettingsStore::SetPath(std::string path) {
    m_path = std::move(path);
    m_document.reset();
}

SettingsDocument* XmlSettingsStore::document() const {
    if (m_document && m_document->isCurrent(m_path))
        return m_document.get();
    m_document = std::make_unique<SettingsDocument>();
    if (!m_document->load(m_path)) {
        m_document.reset();
        return nullptr;
    }
    return m_document.get();
}

bool XmlSettingsStore::IsOpenable() const {
    if (m_path.empty())
        return false;
    // Only a regular file of a sensible size: a device or a pipe in its place would never
    // end, a huge file would take the program's memory.
    if (ProbeRegularFile(m_path) != FileReadStatus::Read)
        return false;
    std::ifstream file(std::filesystem::u8path(m_path), std::ios::binary);
    return file.is_open();
}

std::string XmlSettingsStore::GetValue(std::string_view key) const {
    SettingsDocument* document = this->document();
    if (document == nullptr)
        return {};
    if (pugi::xml_node element = document->findKey(key))
        return JoinedText(element);
    AddKey(key, sstconf::kDefaultOnMiss);
    return sstconf::kDefaultOnMiss;
}

bool XmlSettingsStore::SetValue(std::string_view key, std::string_view value) const {
    return SetValues({{std::string(key), std::string(value)}});
}

bool XmlSettingsStore::SetValues(const std::vector<std::pair<std::string, std::string>>& values) const {
    if (m_path.empty())
        return false;
    // Held from reading the document (again, when another program saved it meanwhile) to
    // saving it: two programs' saves take turns and neither loses the other's.
    const SettingsFileLock lock(m_path);
    SettingsDocument* document = this->document();
    if (document == nullptr)
        return false;
    for (const auto& [key, value] : values) {
        if (!document->setValue(key, value)) {
            m_document.reset(); // the document holds unsaved changes: read it again
            return false;
        }
    }
    if (!document->save(m_path)) {
        m_document.reset();
        return false;
    }
    return true;
}

bool XmlSettingsStore::AddKey(std::string_view key, std::string_view value) const {
    if (m_path.empty())
        return false;
    const SettingsFileLock lock(m_path);
    SettingsDocument* document = this->document();
    return document != nullptr && document->addKey(m_path, key, value);
}

void XmlSettingsStore::Utf8ToAnsi(std::string& text) {
    text = Utf8ToGbk(text);
}

void XmlSettingsStore::AnsiToUtf8(std::string& text) {
    text = GbkToUtf8(text);
}

} // namespace marlune
