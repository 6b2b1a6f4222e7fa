// The about box: the program's version, name and maker from its version
// information, and a link to the maker's web site.
#pragma once

#include <QDialog>

class QLabel;
class QPushButton;
class TGradientPanel;

// The address the link opens. Fixed here; the link's text does not matter.
inline constexpr char kMakerSiteAddress[] = "http://www.vorn.example/";

class TfrmAbout : public QDialog {
    Q_OBJECT
public:
    // Reads the version information from VersionResource (the program's own
    // by default) and fills the labels. Created hidden.
    explicit TfrmAbout(QWidget* Parent = nullptr, const QString& VersionResource = {});
    ~TfrmAbout() override;

    // Closing, by the OK button, Escape or the platform's close command,
    // destroys the box and empties frmAbout.
    void done(int Result) override;

protected:
    void showEvent(QShowEvent* Event) override;

private:
    void FormCreate(const QString& VersionResource);
    void lblWebSiteClick();
    void FormClose();

    TGradientPanel* FPanel = nullptr;
    QLabel* FLogo = nullptr;
    QLabel* FlblVersion = nullptr;
    QLabel* FlblProductName = nullptr;
    QLabel* FlblDevolper = nullptr;
    QLabel* FlblWebSite = nullptr;
    QPushButton* FOK = nullptr;
    bool FClosing = false;
};

// The about box while it exists, else nullptr.
extern TfrmAbout* frmAbout;
