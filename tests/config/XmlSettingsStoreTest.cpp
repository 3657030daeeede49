#include "config/XmlSettingsStore.h"
#include "config/SettingsKeys.h"

#include "ConfigTestSupport.h"
#include "XmlSettingsStoreFixture.h"

#include <cstdio>

namespace marlune {
namespace {

using test::ReadBytes;
using test::ScratchFolder;
using test::WriteBytes;

const std::string& kDeclaration = test::kXmlDeclaration;

class XmlSettingsStoreTest : public test::XmlSettingsStoreFixture {};

TEST_F(XmlSettingsStoreTest, AnEmptyBodyGetsEveryKeyThatIsReadAddedWithZero) {
    writeDocument(kDeclaration + "<Config>\n  <Body>\n  </Body>\n</Config>\n");
    EXPECT_EQ(m_store.GetValue(sstconf::kDisplayFresh.name), "0");
    EXPECT_EQ(m_store.GetValue(sstconf::kTopMost.name), "0");
    EXPECT_EQ(m_store.GetValue(sstconf::kCustColor.name), "0");
    const std::string expected = kDeclaration + "<Config>\n  <Body>\n"
                                                "    <DisplayFresh>0</DisplayFresh>\n"
                                                "    <TopMost>0</TopMost>\n"
                                                "    <CustColor>0</CustColor>\n"
                                                "  </Body>\n</Config>\n";
    EXPECT_EQ(document(), expected);

    // Read again: found, nothing added.
    EXPECT_EQ(m_store.GetValue(sstconf::kTopMost.name), "0");
    EXPECT_EQ(document(), expected);

    // SetValue changes the text in place and reaches the file before it returns.
    EXPECT_TRUE(m_store.SetValue(sstconf::kUpdateTime.name, "1700000000"));
    EXPECT_TRUE(m_store.SetValue(sstconf::kTopMost.name, "1"));
    EXPECT_EQ(document(), kDeclaration + "<Config>\n  <Body>\n"
                                         "    <DisplayFresh>0</DisplayFresh>\n"
                                         "    <TopMost>1</TopMost>\n"
                                         "    <CustColor>0</CustColor>\n"
                                         "    <UpdateTime>1700000000</UpdateTime>\n"
                                         "  </Body>\n</Config>\n");

    // AddKey leaves an existing key alone.
    EXPECT_TRUE(m_store.AddKey(sstconf::kTopMost.name, "7"));
    EXPECT_EQ(m_store.GetValue(sstconf::kTopMost.name), "1");
}

TEST_F(XmlSettingsStoreTest, LooksTwoLevelsBelowTheRootInDocumentOrder) {
    writeDocument(
        "<Root><TopMost>5</TopMost><Head><K>1</K></Head><Body><K>2</K><topmost>1</topmost></Body></Root>");
    // The first of two wins, for reading and for changing.
    EXPECT_EQ(m_store.GetValue("K"), "1");
    EXPECT_TRUE(m_store.SetValue("K", "9"));
    // Case counts: "topmost" is another key than "TopMost".
    EXPECT_EQ(m_store.GetValue("topmost"), "1");
    // A key directly below the root is not found: a second one is added under Body.
    EXPECT_EQ(m_store.GetValue("TopMost"), "0");
    EXPECT_EQ(document(), "<Root><TopMost>5</TopMost><Head><K>9</K></Head>"
                          "<Body><K>2</K><topmost>1</topmost><TopMost>0</TopMost></Body></Root>");
}

TEST_F(XmlSettingsStoreTest, JoinsTheTextOfNestedElementsAndReplacesThemOnSet) {
    writeDocument("<C><Body><LockTime>\n  1<a>2<b>3</b></a>\n  <![CDATA[4]]>5\n</LockTime></Body></C>");
    EXPECT_EQ(m_store.GetValue("LockTime"), "12345");
    EXPECT_TRUE(m_store.SetValue("LockTime", "a<b>&\"c\""));
    EXPECT_EQ(m_store.GetValue("LockTime"), "a<b>&\"c\"");
    EXPECT_EQ(document(), "<C><Body><LockTime>a&lt;b&gt;&amp;\"c\"</LockTime></Body></C>");
}

TEST_F(XmlSettingsStoreTest, KeepsAGbkDocumentInGbk) {
    const std::string declaration = "<?xml version=\"1.0\" encoding=\"GB2312\"?>";
    writeDocument(declaration + "<Config><Body><LoginPd>\xC3\xDC\xC2\xEB</LoginPd></Body></Config>");
    EXPECT_EQ(m_store.GetValue("LoginPd"), "密码");
    EXPECT_TRUE(m_store.SetValue("ProxyUser", "用户"));
    // Top-level nodes are written one per line.
    EXPECT_EQ(document(), declaration + "\n<Config><Body><LoginPd>\xC3\xDC\xC2\xEB</LoginPd>"
                                        "<ProxyUser>\xD3\xC3\xBB\xA7</ProxyUser></Body></Config>");
    EXPECT_EQ(m_store.GetValue("ProxyUser"), "用户");

    // Bytes that are no GBK could not be written back as they stand: read, never rewritten.
    const std::string damaged =
        declaration + "<Config><Body><A\xFE\xFF>1</A\xFE\xFF><B>2</B></Body></Config>";
    writeDocument(damaged);
    EXPECT_EQ(m_store.GetValue("B"), "2");
    EXPECT_FALSE(m_store.SetValue("B", "3"));
    EXPECT_EQ(m_store.GetValue("C"), "0");
    EXPECT_EQ(document(), damaged);
}

TEST_F(XmlSettingsStoreTest, KeepsAUtf8DocumentInUtf8) {
    writeDocument("\xEF\xBB\xBF<Config><Body/></Config>");
    EXPECT_TRUE(m_store.SetValue("ProxyUser", "用户"));
    EXPECT_EQ(document(), "\xEF\xBB\xBF<Config><Body><ProxyUser>用户</ProxyUser></Body></Config>");
    EXPECT_EQ(m_store.GetValue("ProxyUser"), "用户");
}

TEST_F(XmlSettingsStoreTest, DocumentsItCannotUseStayAsTheyAre) {
    struct Case {
        const char* bytes;
        const char* read; // GetValue("TopMost")
    };
    const Case cases[] = {
        {"<Config><Body><TopMost>1</Body></Config>", ""}, // does not parse
        {"<?xml version=\"1.0\"?><!-- nothing -->", ""},  // no root
        {"", ""},                                         // empty
        {"<Config><Head/></Config>", "0"},                // no Body: nothing can be added
        {"<Config><Head><Body/></Head></Config>", "0"},   // Body too deep to find keys again
        {"<Body><Other/></Body>", "0"},                   // the root itself is the Body
    };
    for (const Case& c : cases) {
        writeDocument(c.bytes);
        EXPECT_EQ(m_store.GetValue("TopMost"), c.read) << c.bytes;
        EXPECT_FALSE(m_store.SetValue("TopMost", "1")) << c.bytes;
        EXPECT_FALSE(m_store.AddKey("TopMost", "1")) << c.bytes;
        EXPECT_EQ(document(), c.bytes);
    }

    // Names that are no element names would make the file unreadable: never added.
    writeDocument("<Config><Body/></Config>");
    for (const char* key : {"", "a b", "1x", "<x>", "a/b"}) {
        EXPECT_EQ(m_store.GetValue(key), "0") << key;
        EXPECT_FALSE(m_store.SetValue(key, "1")) << key;
    }
    EXPECT_EQ(document(), "<Config><Body/></Config>");

    std::remove(m_path.c_str());
    EXPECT_EQ(m_store.GetValue("TopMost"), "");
    EXPECT_FALSE(m_store.SetValue("TopMost", "1"));
    EXPECT_FALSE(test::FileExists(m_path));
}

TEST_F(XmlSettingsStoreTest, IsOpenableOnlyForAReadableFile) {
    XmlSettingsStore unset;
    EXPECT_FALSE(unset.IsOpenable());
    EXPECT_FALSE(m_store.IsOpenable()); // not written yet
    writeDocument("<Config><Body/></Config>");
    EXPECT_TRUE(m_store.IsOpenable());
    m_store.SetPath(m_folder.path());
    EXPECT_FALSE(m_store.IsOpenable());
}

TEST_F(XmlSettingsStoreTest, HandlesDeepNestingWithoutRecursion) {
    const int depth = 100000;
    std::string bytes = "<C><Body><K>";
    for (int i = 0; i < depth; ++i)
        bytes += "<n>";
    bytes += "x";
    for (int i = 0; i < depth; ++i)
        bytes += "</n>";
    bytes += "</K></Body></C>";
    writeDocument(bytes);
    EXPECT_EQ(m_store.GetValue("K"), "x");
    EXPECT_TRUE(m_store.SetValue("K", "y"));
    EXPECT_EQ(document(), "<C><Body><K>y</K></Body></C>");
}

TEST(XmlSettingsStoreText, ConvertsBetweenUtf8AndGbkInPlace) {
    std::string text = "上证指数 A";
    XmlSettingsStore::Utf8ToAnsi(text);
    EXPECT_EQ(text, "\xC9\xCF\xD6\xA4\xD6\xB8\xCA\xFD A");
    XmlSettingsStore::AnsiToUtf8(text);
    EXPECT_EQ(text, "上证指数 A");
    EXPECT_EQ(XmlSettingsStore::OsGeneration(), 0);
}

} // namespace
} // namespace marlune
