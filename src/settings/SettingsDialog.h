#pragma once
// The settings dialog: a modeless window with the tree of page names on the left, one page
// at a time on the right, a red status text and the buttons "确定", "应用" and "取消".
// The six pages are created with the dialog and each loads its settings then; a click on a
// tree item, or moving to it with the keyboard, shows that item's page. Enter presses the
// focused button (there is no default button, so Enter in a field never closes the dialog);
// Esc is "取消". Switching pages or typing on a page clears the status text.
//
// "应用" checks every page, then stores the basic, display, network and security pages (the
// one on display and those the user left for another), and queues the settings-applied command to the host.
// "确定" does the same, calls the host's register-hot-key operation and closes. "取消" queues
// the settings-applied command, calls the register-hot-key operation and closes. A page that
// refuses its values (the security page without a password, a proxy field that is too long,
// no display column) stops the apply: nothing is stored, its page is shown with the reason in
// the status text, and the dialog stays open.
//
// The dialog deletes itself when closed.

#include <QDialog>
#include <QString>

#include <array>

class QLabel;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace marlune {

class AboutPage;
class BasicPage;
class DisplayPage;
class GradientButton;
class MyStocksPage;
class NetworkPage;
class SecurityPage;
class SettingsHost;

enum class SettingsPageId : int { MyStocks = 0, Basic, Display, Network, Security, About };
inline constexpr int kSettingsPageCount = 6;

class SettingsDialog final : public QDialog {
    Q_OBJECT
public:
    // Control ids of the dialog's buttons.
    enum ButtonId : int { kButtonOk = 1008, kButtonApply = 1009, kButtonCancel = 1010 };

    // Creates the dialog hidden, with its pages loaded from the program folder. The host is
    // not owned and may be null.
    explicit SettingsDialog(SettingsHost* host, QWidget* parent = nullptr);
    ~SettingsDialog() override;

    // Shows the page as a click on its tree item would.
    void ShowPage(SettingsPageId page);
    SettingsPageId CurrentPage() const { return m_current; }

    // Raises the dialog and gives it the keyboard (tray clicks and caption buttons while open).
    void BringToFront();

    // The red status text under the pages.
    void SetStatusText(const QString& text);
    QString StatusText() const;

    // Stores the pages as "应用" does; false when a page refused its values.
    bool Apply();

    // The parts, for the owner and for tests.
    QTreeWidget* Tree() const { return m_tree; }
    QWidget* Page(SettingsPageId page) const { return m_pages[static_cast<int>(page)]; }
    MyStocksPage* MyStocks() const { return m_myStocks; }
    BasicPage* Basic() const { return m_basic; }
    DisplayPage* Display() const { return m_display; }
    NetworkPage* Network() const { return m_network; }
    SecurityPage* Security() const { return m_security; }
    AboutPage* About() const { return m_about; }
    QPushButton* Button(ButtonId id) const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void reject() override;

private:
    void buildTree();
    void createPages();
    void layOut();
    void onTreeClicked(QTreeWidgetItem* item);
    void onOk();
    void onApply();
    void onCancel();
    void postSettingsApplied();

    SettingsHost* m_host;
    QTreeWidget* m_tree = nullptr;
    QLabel* m_status = nullptr;
    GradientButton* m_ok = nullptr;
    GradientButton* m_apply = nullptr;
    GradientButton* m_cancel = nullptr;
    MyStocksPage* m_myStocks = nullptr;
    BasicPage* m_basic = nullptr;
    DisplayPage* m_display = nullptr;
    NetworkPage* m_network = nullptr;
    SecurityPage* m_security = nullptr;
    AboutPage* m_about = nullptr;
    std::array<QWidget*, kSettingsPageCount> m_pages{};
    SettingsPageId m_current = SettingsPageId::MyStocks;
    bool m_closed = false;
};

} // namespace marlune
