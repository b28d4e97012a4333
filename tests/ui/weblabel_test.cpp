#include "widgets/WebLabel.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QEnterEvent>
#include <QEvent>

using namespace kelvarn;

namespace {

struct Opened {
    QStringList addresses;
    TWebLabel::Opener opener() {
        return [this](const QString& a) { addresses << a; };
    }
};

}  // namespace

TEST(WebLabel, DefaultsOfANewLabel) {
    TWebLabel label;
    EXPECT_EQ(label.LinkTyp(), TURLType::lnHttp);
    EXPECT_FALSE(label.Hover());
    EXPECT_TRUE(label.Link().isEmpty());
    EXPECT_TRUE(label.Underlined());
    EXPECT_EQ(label.font().pointSize(), 10);
    EXPECT_EQ(label.palette().color(QPalette::WindowText), QColor(0, 0, 255));
    EXPECT_EQ(label.cursor().shape(), Qt::PointingHandCursor);
}

TEST(WebLabel, PrefixesOfEveryLinkType) {
    const std::pair<TURLType, QString> cases[] = {
        {TURLType::lnFile, "file://"},     {TURLType::lnFtp, "ftp://"},
        {TURLType::lnGopher, "gopher://"}, {TURLType::lnHttp, "http://"},
        {TURLType::lnHttps, "https://"},   {TURLType::lnMailto, "mailto:"},
        {TURLType::lnNews, "news:"},       {TURLType::lnTelnet, "telnet:"},
        {TURLType::lnWais, "wais:"}};
    for (const auto& [type, prefix] : cases) {
        Opened opened;
        TWebLabel label;
        label.SetOpener(opened.opener());
        label.SetLinkTyp(type);
        label.SetLink("x");
        label.Click();
        EXPECT_EQ(opened.addresses, QStringList{prefix + "x"});
    }
}

TEST(WebLabel, HoverUnderlinesOnlyWhileTheMouseIsOver) {
    TWebLabel label;
    label.SetHover(true);
    EXPECT_FALSE(label.Underlined());
    QEnterEvent enter(QPointF(1, 1), QPointF(1, 1), QPointF(1, 1));
    QApplication::sendEvent(&label, &enter);
    EXPECT_TRUE(label.Underlined());
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(&label, &leave);
    EXPECT_FALSE(label.Underlined());

    label.SetHover(false);
    EXPECT_TRUE(label.Underlined());
    QApplication::sendEvent(&label, &leave);
    EXPECT_TRUE(label.Underlined());
}

TEST(WebLabel, EmptyLinkTakesTheDefaultThenTheLinkType) {
    Opened opened;
    TWebLabel label;
    label.SetOpener(opened.opener());
    label.SetLinkTyp(TURLType::lnHttps);
    label.Click();
    EXPECT_EQ(label.Link(), TWebLabel::kDefaultLink);
    label.Click();
    EXPECT_EQ(opened.addresses, (QStringList{"http://" + TWebLabel::kDefaultLink,
                                             "https://" + TWebLabel::kDefaultLink}));
}

TEST(WebLabel, MailtoLink) {
    Opened opened;
    TWebLabel label;
    label.SetOpener(opened.opener());
    label.SetLinkTyp(TURLType::lnMailto);
    label.SetLink("info@example.org");
    label.Click();
    EXPECT_EQ(opened.addresses, QStringList{"mailto:info@example.org"});
}
