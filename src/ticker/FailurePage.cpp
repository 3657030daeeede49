#include "ticker/FailurePage.h"

namespace marlune {

QString FailurePageHtml() {
    // The page has always been written as these two pieces; nothing goes between them.
    static const char kFirstPiece[] =
        R"(<html><head><meta http-equiv=Content-Type content="text/html; charset=gb2312">)"
        R"(<style type="text/css">body {font-size: 12px}</style></head><body scroll="no" )"
        R"(style="overflow:hidden;border-style:none; text-align:center;margin:0px auto; background:#)";
    static const char kSecondPiece[] =
        R"(" oncontextmenu="return false;"><div style="height:100%; width:100%; vertical-align:middle;" )"
        R"(aliagn="center" valign="center">)"
        "网络访问失败.请检查网络"
        "</div>";
    return QString::fromUtf8(kFirstPiece) + QString::fromUtf8(kSecondPiece);
}

} // namespace marlune
