#pragma once
// The game's own message box: a caption, one or more lines of text, an
// optional icon and "ОК" or "ОК"/"Отмена". It sizes itself to its text.

#include "Dialog.h"

#include <QIcon>
#include <QString>

class QLabel;

class CMessageBox : public CDialog {
    Q_OBJECT

public:
    static constexpr UINT MBF_OK = 0x04;          // one button, "ОК"
    static constexpr UINT MBF_OKCANCEL = 0x08;    // "ОК" and "Отмена"
    static constexpr UINT MBF_ICON = 0x10;        // m_hIcon left of the text
    static constexpr UINT MBF_CAPTIONICON = 0x20; // m_hCaptionIcon as window icon

    static constexpr int IDC_TEXT = 103;

    explicit CMessageBox(QWidget* parent = nullptr);

    // Returns IDOK when "ОК" was pressed, IDCANCEL otherwise.
    static int Show(QWidget* parent, const QString& text, const QString& caption, UINT flags,
                    const QIcon& icon = QIcon(), const QIcon& captionIcon = QIcon());

    BOOL OnInitDialog() override;

    QString m_strText; // lines separated by "\n"
    QLabel* m_wndText;
    QString m_strCaption;
    UINT m_nFlags;
    QIcon m_hIcon;
    QIcon m_hCaptionIcon;
    int m_nMargin;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QSize measureText() const;
    int measureCaption() const;
};
