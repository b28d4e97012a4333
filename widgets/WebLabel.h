#pragma once

#include <QLabel>
#include <QUrl>
#include <functional>

namespace kelvarn {

enum class TURLType {
    lnFile,
    lnFtp,
    lnGopher,
    lnHttp,
    lnHttps,
    lnMailto,
    lnNews,
    lnTelnet,
    lnWais
};

// The scheme prefix that a link type puts in front of Link.
QString UrlPrefix(TURLType type);

// A text label that behaves like a link: blue, underlined (with Hover only
// while the mouse is over it), hand cursor; a click hands the address to the
// desktop's URL opener.
class TWebLabel : public QLabel {
    Q_OBJECT
public:
    // Where the label goes when Link is empty at the first click.
    static const QString kDefaultLink;

    explicit TWebLabel(QWidget* parent = nullptr);

    QString Link() const { return link_; }
    void SetLink(const QString& link) { link_ = link; }
    TURLType LinkTyp() const { return linkTyp_; }
    void SetLinkTyp(TURLType t) { linkTyp_ = t; }
    bool Hover() const { return hover_; }
    void SetHover(bool on);
    bool Underlined() const { return font().underline(); }

    // The opener; the desktop's by default, replaced in tests. Its outcome
    // is not reported.
    using Opener = std::function<void(const QString& address)>;
    void SetOpener(Opener opener) { opener_ = std::move(opener); }

    // What a click does: builds the address and opens it.
    void Click();

protected:
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void SetUnderline(bool on);

    QString link_;
    TURLType linkTyp_ = TURLType::lnHttp;
    bool hover_ = false;
    Opener opener_;
};

}  // namespace kelvarn
