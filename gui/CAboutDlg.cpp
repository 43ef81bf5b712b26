#include "gui/CAboutDlg.h"

#include "gui/CSvgImage.h"
#include "res/Version.h"

#include <QGridLayout>
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

    auto* layout = new QGridLayout(this);
    layout->setContentsMargins(24, 24, 24, 16);
    layout->setHorizontalSpacing(20);
    layout->setVerticalSpacing(14);
    layout->addWidget(m_pIcon, 0, 0, Qt::AlignTop);
    layout->addWidget(m_pTitle, 0, 1);
    layout->addWidget(m_pVersion, 1, 0, 1, 2);
    layout->addWidget(m_pOk, 2, 0, 1, 2, Qt::AlignHCenter);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    m_pOk->setFocus();
}
