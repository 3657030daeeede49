#pragma once
// The files a new program folder needs before any window reads a setting. The
// program is its own installer: the first start creates them all.

#include <string>

namespace marlune {

// Creates below the program folder (itself too when it is missing), each only when it
// does not exist: the folder config, config/base.ini with the default settings,
// config/list.ini with the two market indices, the folder data, the folder scnf and
// scnf/SSTConf.xml from the shipped default. Existing files are never touched.
// Returns false when a folder or a file that is missing cannot be created; the
// caller then tells the user and ends the program. listIni: the bytes of a missing
// list.ini; empty: DefaultListIni().
bool CreateFirstRunFiles(const std::string& listIni = {});

// The same below another folder (tests, tools).
bool CreateFirstRunFilesIn(const std::string& programFolder, const std::string& listIni = {});

// The exact bytes of the default files.
std::string DefaultBaseIni(); // 24 lines, CR LF, no byte order mark
std::string DefaultListIni(); // GBK, CR LF
// The demo's first list (--demo on a folder without one): the two indices and a row of
// each other market, with holdings in yuan, Hong Kong and US dollars.
std::string DemoListIni();
std::string DefaultXmlSettings(); // resources/scnf/SSTConf.xml as shipped

} // namespace marlune
