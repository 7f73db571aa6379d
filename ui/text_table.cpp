#include "ui/text_table.h"

#include <array>
#include <cstddef>

int language = 0;

namespace {

struct TextPair {
    TextKey key;
    const char* chinese;
    const char* english;
};

#define QV_TITLE_PREFIX "Quorvane[Brelmont][www.quorvane.example]["

// Listed in key order; the static_assert below and a test keep it that way.
constexpr TextPair kPairs[] = {
    {TextKey::Connect, "连接", "Connect"},
    {TextKey::Stop, "停止", "Stop"},
    {TextKey::Option, "选项", "Option"},
    {TextKey::Export, "导出", "Export"},
    {TextKey::LanguageName, "中文", "English"},
    {TextKey::ServerLabel, "OPC UA 服务器:", "OPC UA Server:"},
    {TextKey::TitlePrefix, QV_TITLE_PREFIX, QV_TITLE_PREFIX},
    {TextKey::Connecting, "正在连接服务器...", "connecting to server ..."},
    {TextKey::ConnectOk, "连接服务器成功", "conn server success ..."},
    {TextKey::Searching, "正在搜索...", "searching ..."},
    {TextKey::SearchDone, "搜索完成 共计 %d 个点", "search total count %d points"},
    {TextKey::StopUpdate, "停止更新...", "stop update..."},
    {TextKey::ConnectFailed, "连接服务器失败", "conn server failed ..."},
    {TextKey::UserPasswordEmpty, "用户名/密码不能为空!", "username or password not empty!"},
    {TextKey::UserPasswordWrong, "用户名/密码错误!", "username or password not match!"},
    {TextKey::CertKeyEmpty, "证书/私钥不能为空!", "certificate or private key not empty!"},
    {TextKey::CertKeyWrong, "证书/私钥错误!", "certificate or private key not match!"},
    {TextKey::WriteFailed, "写值失败!", "write value failure!"},
    {TextKey::ExportFailed, "导出数据失败!", "export data error!"},
    {TextKey::ExportCapped, "已导出前 65535 个点，%d 个点未导出",
     "exported the first 65535 points, %d points not exported"},
    {TextKey::SecurityOption, "安全选项", "security option"},
    {TextKey::SecurityMode, "安全模式", "security mode"},
    {TextKey::SecurityPolicy, "安全策略", "security policy"},
    {TextKey::Authorize, "授权", "authorize"},
    {TextKey::Anonymous, "匿名", "anonymous"},
    {TextKey::UserName, "用户名", "user name"},
    {TextKey::Password, "密码", "password"},
    {TextKey::Certificate, "证书", "certificate"},
    {TextKey::PrivateKey, "私钥", "private key"},
    {TextKey::Ok, "确定", "OK"},
    {TextKey::Cancel, "取消", "Cancel"},
    {TextKey::NodeIdLabel, "点名", "NodeId"},
    {TextKey::NewValue, "新值", "New Value"},
    {TextKey::InvalidValue, "值无效，应为 ", "invalid value, expected "},
    {TextKey::RangeJoin, " ~ ", " to "},
    {TextKey::BooleanForm, "true、false、1 或 0", "true, false, 1 or 0"},
    {TextKey::NumberForm, "十进制数，如 1.5 或 -2.5e3", "a decimal number such as 1.5 or -2.5e3"},
    {TextKey::DateTimeForm, "日-月-年 时:分:秒.毫秒 (UTC)，如 5-8-2024 6:3:9.007",
     "D-M-YYYY H:M:S.mmm (UTC) such as 5-8-2024 6:3:9.007"},
    {TextKey::TextForm, "任意文本", "any text"},
    {TextKey::PlainPasswordPrompt, "服务器要求以明文发送密码，仍要连接吗?",
     "the server wants the password sent unencrypted; connect anyway?"},
    {TextKey::SearchProgress, "正在搜索... 已找到 %d 个点", "searching ... %d points found"},
    {TextKey::SearchLost, "连接中断 已找到 %d 个点", "connection lost, %d points found"},
    {TextKey::RefreshLost, "连接中断，正在重试...", "connection lost, retrying ..."},
    {TextKey::RefreshBack, "连接已恢复，数值已更新", "connection restored, values updated"},
    {TextKey::PolicyNotOffered, "服务器不提供所选的安全策略/模式",
     "the server does not offer the chosen security policy and mode"},
};

#undef QV_TITLE_PREFIX

constexpr bool InKeyOrder() {
    for (std::size_t i = 0; i < std::size(kPairs); ++i) {
        if (static_cast<std::size_t>(kPairs[i].key) != i) return false;
    }
    return std::size(kPairs) == static_cast<std::size_t>(TextKey::Count);
}
static_assert(InKeyOrder(), "one text pair per key, in key order");

// Built once, before any window exists, and never changed.
const std::array<std::array<std::string, 2>, std::size(kPairs)>& Table() {
    static const auto table = [] {
        std::array<std::array<std::string, 2>, std::size(kPairs)> t;
        for (std::size_t i = 0; i < std::size(kPairs); ++i) {
            t[i] = {kPairs[i].chinese, kPairs[i].english};
        }
        return t;
    }();
    return table;
}

}  // namespace

const std::string& Text(TextKey key, int lang) {
    return Table()[static_cast<std::size_t>(key)][lang == 0 ? 0 : 1];
}

const std::string& Text(TextKey key) { return Text(key, language); }

std::string FormatText(TextKey key, long long number) {
    std::string text = Text(key);
    const auto at = text.find("%d");
    if (at != std::string::npos) text.replace(at, 2, std::to_string(number));
    return text;
}
