#pragma once
// A fresh program folder (the first-run files) for every settings test, and small helpers to
// read back what the pages wrote.

#include "config/FirstRun.h"
#include "config/ProgramFolder.h"
#include "text/FileBytes.h"
#include "text/Gbk.h"

#include <QAbstractButton>
#include <QString>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

#include <cstdlib>
#include <ostream>
#include <string>

QT_BEGIN_NAMESPACE
inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}
QT_END_NAMESPACE

namespace marlune::test {

// Clicks a check box or radio button on its indicator: a button stretched by its layout
// ignores clicks beside its text.
inline void ClickIndicator(QAbstractButton* button) {
    QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(6, button->height() / 2));
}

class ProgramFolderTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_dir.isValid());
        m_folder = m_dir.path().toStdString() + "/";
        SetProgramFolder(m_folder);
        ASSERT_TRUE(CreateFirstRunFilesIn(m_folder));
        // Autostart entries go below the test's own folder.
        ::setenv("XDG_CONFIG_HOME", (m_folder + "xdg").c_str(), 1);
    }
    void TearDown() override { SetProgramFolder(""); }

    std::string Path(const std::string& relative) const { return m_folder + relative; }

    // The file's text, decoded from GBK.
    std::string ReadGbk(const std::string& relative) const {
        return GbkToUtf8(ReadFileBytes(Path(relative)).value_or(""));
    }
    std::string ReadBytes(const std::string& relative) const {
        return ReadFileBytes(Path(relative)).value_or("");
    }
    void WriteGbk(const std::string& relative, const std::string& utf8) const {
        WriteFileAtomically(Path(relative), Utf8ToGbk(utf8));
    }
    void WriteBytes(const std::string& relative, const std::string& bytes) const {
        WriteFileAtomically(Path(relative), bytes);
    }

    QTemporaryDir m_dir;
    std::string m_folder;
};

} // namespace marlune::test
