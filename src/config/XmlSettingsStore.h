#pragma once
// scnf/SSTConf.xml: a flat list of named values in an XML document. Each setting is
// an element two levels below the document's root; its name is the key, its text
// the value. A store reads the file once and reads it again only when the file has
// changed since; every change reaches the file before the call returns (replaced
// atomically). Only a regular file of at most 1 MB is read.
//
// A document whose XML declaration names GBK or GB2312 is decoded before parsing and
// written back in GBK with its declaration; other documents keep their encoding
// (UTF-8 unless a byte order mark says otherwise). Values in and out are UTF-8.
// Nothing is written that would not parse again, and a GBK document holding bytes
// that are no GBK is read but never rewritten.

#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace marlune {

class SettingsDocument;

class XmlSettingsStore {
public:
    XmlSettingsStore();
    ~XmlSettingsStore();

    // The document path; empty after construction.
    void SetPath(std::string path);
    const std::string& path() const { return m_path; }

    // True when the path is set and names a regular file of at most 1 MB that can be
    // opened for reading.
    // Users of the store ask this first and leave the store alone when it is false.
    bool IsOpenable() const;

    // The text of the first element, two levels below the root in document order,
    // whose name equals the key (case-sensitive); the texts of nested elements are
    // joined and blanks around the result dropped. A missing key gives "0" and is
    // added with that value (AddKey). A file that cannot be read or parsed, or has
    // no root, gives "".
    std::string GetValue(std::string_view key) const;

    // Replaces the key's text and saves the document; a missing key is added with the
    // value (AddKey). Returns true when the file now holds the value.
    bool SetValue(std::string_view key, std::string_view value) const;

    // SetValue for each key and value, saved in one write: all of them or, when any one
    // cannot be set, none. Every change holds the file's lock (SettingsFileLock) from
    // reading the document again, when it changed, to saving it.
    bool SetValues(const std::vector<std::pair<std::string, std::string>>& values) const;

    // Adds the key with the value as the last child of the first "Body" element and
    // saves the document; does nothing when the key exists. Keys are added only where
    // they can be found again: when that Body element is a child of the root, and
    // when the key is a valid element name. Returns true when the key exists
    // afterwards.
    bool AddKey(std::string_view key, std::string_view value) const;

    // In-place conversion between UTF-8 and the GBK code page, for downloaded texts.
    static void Utf8ToAnsi(std::string& text);
    static void AnsiToUtf8(std::string& text);

    // The desktop system's generation as the window placement rules use it: 1, 2 or 3
    // for the old Windows versions, 0 for every later system, this one included.
    static int OsGeneration() { return 0; }

private:
    // The loaded document, read again when the file changed; null when it cannot be used.
    SettingsDocument* document() const;

    std::string m_path;
    mutable std::unique_ptr<SettingsDocument> m_document;
};

} // namespace marlune
