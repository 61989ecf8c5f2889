#include "search/sites.h"

#include <cstdlib>

#include "app/codepage.h"
#include "app/text.h"

namespace sorvane {
namespace {

constexpr std::string_view kPublicEngineHost = "www.baidu.com";

constexpr std::array<SiteEntry, kSiteCount> kSites{{
    {1, "选择框_百度", "百度网盘", "pan.baidu.com"},
    {2, "选择框_华为", "华为网盘", "dl.dbank.com"},
    {3, "选择框_迅雷", "迅雷快传", "kuai.xunlei.com"},
    {4, "选择框_旋风", "QQ旋风", "fenxiang.qq.com"},
    {5, "选择框_360", "360云盘", "yunpan.cn"},
    {6, "选择框_千易", "千易网盘", "1000eb.com"},
    {7, "选择框_盛大", "盛大网盘", "www.everbox.com"},
    {8, "选择框_爱问", "爱问共享", "ishare.iask.sina.com.cn"},
    {9, "选择框_CSDN", "CSDN", "download.csdn.net"},
    {10, "选择框_金山", "金山快盘", "www.kuaipan.cn"},
    {11, "选择框_千脑", "千脑网盘", "www.qiannao.com"},
    {12, "选择框_115", "115网盘", "115.com"},
    {13, "选择框_城通", "城通网盘", "www.ctdisk.com"},
    {14, "选择框_vdisk", "vdisk威盘", "vdisk.cn"},
    {15, "选择框_一木禾", "一木禾网盘", "www.yimuhe.com"},
    {16, "选择框_163", "163网盘", "163disk.com"},
    {17, "选择框_126", "126disk网盘", "www.126disk.com"},
    {18, "选择框_纳米", "纳米盘", "www.namipan.com"},
    {19, "选择框_400", "400disk网盘", "www.400disk.com"},
    {20, "选择框_迅载", "迅载网盘", "www.xun6.com"},
    {21, "选择框_GXP", "GXP网盘", "www.gxp.cc"},
    {22, "选择框_good", "gooddisk.com", "gooddisk.com"},
}};

bool IsSafeByte(unsigned char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
           c == '-' || c == '.';
}

}  // namespace

const std::array<SiteEntry, kSiteCount>& SiteTable() { return kSites; }

std::string HostForJob(int index, std::string_view jobHost) {
    if (index >= 1 && index <= kSiteCount) return kSites[static_cast<std::size_t>(index - 1)].host;
    if (index > kSiteCount) return std::string(jobHost);
    return {};
}

std::string EncodeKeyword(std::string_view keyword, bool keepSafe, bool toUtf8) {
    const std::string bytes = toUtf8 ? Utf8FromGbk(keyword) : std::string(keyword);
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(bytes.size() * 3);
    for (const char ch : bytes) {
        const auto c = static_cast<unsigned char>(ch);
        if (keepSafe && IsSafeByte(c)) {
            out += ch;
        } else {
            out += '%';
            out += kHex[c >> 4];
            out += kHex[c & 0x0F];
        }
    }
    return out;
}

std::string EngineHost() {
    const char* overridden = std::getenv("SORVANE_ENGINE_HOST");
    if (overridden != nullptr && *overridden != '\0') return overridden;
    return std::string(kPublicEngineHost);
}

std::string QueryAddress(std::string_view host, std::string_view encodedKeyword, int offset) {
    std::string address = "http://";
    address += EngineHost();
    address += "/s?wd=site%3A";
    address += host;
    address += "%20";
    address += encodedKeyword;
    address += "&pn=";
    address += NumberToText(offset);
    address += "&rn=50&ie=utf-8&rsv_page=1";
    return address;
}

}  // namespace sorvane
