#include "widgets/WebLabel.h"

#include <QDesktopServices>
#include <QMouseEvent>

#include "widgets/Readable.h"

namespace kelvarn {

const QString TWebLabel::kDefaultLink = QStringLiteral("www.kelvarn.example");

QString UrlPrefix(TURLType type) {
    switch (type) {
        case TURLType::lnFile: return QStringLiteral("file://");
        case TURLType::lnFtp: return QStringLiteral("ftp://");
        case TURLType::lnGopher: return QStringLiteral("gopher://");
        case TURLType::lnHttp: return QStringLiteral("http://");
        case TURLType::lnHttps: return QStringLiteral("https://");
        case TURLType::lnMailto: return QStringLiteral("mailto:");
        case TURLType::lnNews: return QStringLiteral("news:");
        case TURLType::lnTelnet: return QStringLiteral("telnet:");
        case TURLType::lnWais: return QStringLiteral("wais:");
    }
    return QString();
}

TWebLabel::TWebLabel(QWidget* parent) : QLabel(parent) {
    // Link blue, lighter where the desktop is dark.
    KeepTextReadable(this, QColor(0, 0, 255));
    QFont f = font();
    f.setPointSize(10);
    f.setUnderline(true);
    setFont(f);
    setCursor(Qt::PointingHandCursor);
    opener_ = [](const QString& address) { QDesktopServices::openUrl(QUrl(address)); };
}

void TWebLabel::SetUnderline(bool on) {
    QFont f = font();
    f.setUnderline(on);
    setFont(f);
}

void TWebLabel::SetHover(bool on) {
    hover_ = on;
    SetUnderline(!on);
}

void TWebLabel::Click() {
    QString prefix;
    if (link_.isEmpty()) {
        prefix = QStringLiteral("http://");
        link_ = kDefaultLink;
    } else {
        prefix = UrlPrefix(linkTyp_);
    }
    if (opener_) opener_(prefix + link_);
}

void TWebLabel::enterEvent(QEnterEvent* event) {
    if (hover_) SetUnderline(true);
    QLabel::enterEvent(event);
}

void TWebLabel::leaveEvent(QEvent* event) {
    if (hover_) SetUnderline(false);
    QLabel::leaveEvent(event);
}

void TWebLabel::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        Click();
    else
        QLabel::mouseReleaseEvent(event);
}

}  // namespace kelvarn
