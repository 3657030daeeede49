#pragma once
// The scratch SSTConf.xml and its store that the XML settings tests work on.
#include "config/XmlSettingsStore.h"

#include "ConfigTestSupport.h"

#include <gtest/gtest.h>

#include <string>

namespace marlune::test {

inline const std::string kXmlDeclaration = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";

class XmlSettingsStoreFixture : public ::testing::Test {
protected:
    void SetUp() override { m_store.SetPath(m_path); }

    void writeDocument(const std::string& bytes) { WriteBytes(m_path, bytes); }
    std::string document() const { return ReadBytes(m_path); }

    ScratchFolder m_folder;
    std::string m_path = m_folder / "SSTConf.xml";
    XmlSettingsStore m_store;
};

} // namespace marlune::test
