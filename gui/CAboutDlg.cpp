#include "gui/CAboutDlg.h"

#include "gui/CDialogUnits.h"
#include "gui/CSvgImage.h"
#include "res/Version.h"

#include <QLabel>
#include <QPushButton>

CAboutDlg::CAboutDlg(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      m_pIcon(new QLabel(this)),
      m_pTitle(new QLabel(QStringLiteral("QARN Data Backup/Restore Tool"), this)),
      m_pVersion(new QLabel(QStringLiteral("Version " TOVRIK_VERSION), this)),
      m_pOk(new QPushButton(QStringLiteral("OK"), this)) {
    setWindowTitle(QStringLiteral("About Tovrik"));
    setModal(true);

    m_pIcon->setPixmap(CSvgImage::Render(CSvgImage::kAppIconPath, QSize(32, 32)));
    m_pTitle->setTextFormat(Qt::PlainText);
    m_pTitle->setAlignment(Qt::AlignCenter);
    m_pVersion->setTextFormat(Qt::PlainText);
    m_pVersion->setAlignment(Qt::AlignCenter);
    m_pOk->setDefault(true);
    m_pOk->setAutoDefault(true);
    connect(m_pOk, &QPushButton::clicked, this, &QDialog::accept);

    // The box's own layout, in dialog units: 179 x 101, each control at its
    // place, in tab order.
    const CDialogUnits du(font());
    setFixedSize(du.X(179), du.Y(101));
    m_pIcon->setGeometry(du.Rect(17, 16, 20, 20));
    m_pIcon->setAlignment(Qt::AlignCenter);
    m_pTitle->setGeometry(du.Rect(58, 17, 71, 19));
    m_pTitle->setWordWrap(true);
    m_pOk->setGeometry(du.Rect(69, 74, 50, 14));
    m_pVersion->setGeometry(du.Rect(71, 57, 48, 8));
    m_pOk->setFocus();
}
