#include "texts/text_table.h"

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

#define QV_CLI_USAGE_ZH                                                                                                             \
    "用法: quorvane --export 文件 [--url URL] [--policy 策略 --mode 模式]\n"                                                \
    "                [--user 用户名 [--password-env 变量名] | --cert 证书 --key 私钥]\n"                                  \
    "                [--timeout 秒] [--lang zh|en] [--allow-plain-password] [--verbose]\n"                                         \
    "                [--trust-server 指纹]\n"                                                                                     \
    "      quorvane --list-endpoints --url URL [--timeout 秒] [--lang zh|en]\n"                                                    \
    "      quorvane --show-certificate | --export-certificate 文件 | --version | --help\n"                                        \
    "不打开窗口: 连接服务器，搜索所有点并导出到文件，然后退出。\n"                                      \
    "  --list-endpoints     列出服务器的端点: 策略 模式 登录方式 level 安全等级\n"                              \
    "  --export 文件        导出的文件; 扩展名 .xlsx 或 .csv 决定格式，其他写 .xls 工作簿;\n"                 \
    "                       - 写到标准输出 (默认 csv，不带 BOM)，结果行写到标准错误\n"                         \
    "  --format xls|xlsx|csv|json|tags-csv|telegraf  不论文件名，按此格式导出;\n"                                       \
    "                       json: 带类型的值和服务器标识; tags-csv: 通用点表\n"                                      \
    "                       (名称 地址 类型 读写 单位 描述 路径); telegraf: Telegraf\n"                               \
    "                       的 [[inputs.opcua]] 配置 (不含密码)\n"                                                           \
    "  --attributes         导出全部属性: BrowseName, Description, 访问级别, ValueRank,\n"                                \
    "                       ArrayDimensions, 最小采样间隔, Historizing, 工程单位和量程\n"                              \
    "  --url URL            服务器地址，默认 opc.tcp://127.0.0.1:4840\n"                                                    \
    "  --policy 策略        None, Basic256Sha256, Aes128_Sha256_RsaOaep, Aes256_Sha256_RsaPss,\n"                                 \
    "                       Basic128Rsa15 或 Basic256 (后两者已弃用); 与 --mode 同用，\n"                                \
    "                       两者都不给时: 登录取服务器最强的安全端点 (只有 None 时警告)，\n"               \
    "                       匿名为 None/None\n"                                                                                  \
    "  --mode 模式          None, Sign 或 \"Sign & Encrypt\" (也可写 SignAndEncrypt)\n"                                       \
    "  --user 用户名        用户名/密码登录; 密码取自 --password-env 给出的环境变量，\n"                      \
    "                       没有时从标准输入读一行。密码从不写在命令行上\n"                                   \
    "  --cert 证书 --key 私钥  证书登录 (DER 文件)\n"                                                                     \
    "  --timeout 秒         5 到 600，默认 10\n"                                                                               \
    "  --lang zh|en         输出文字的语言; 默认取自 LC_ALL, LC_MESSAGES, LANG (zh* 为中文)\n"                        \
    "  --allow-plain-password  允许密码不加密地发送\n"                                                                    \
    "  --verbose            把 OPC UA 库的日志写到标准错误\n"                                                            \
    "  --trust-server 指纹  信任指纹为此的服务器证书并记住 (冒号可省，大小写均可)\n"                     \
    "  --show-certificate   显示本客户端证书的路径、应用程序 URI 和指纹\n"                                       \
    "  --export-certificate 文件  导出本客户端证书 (DER; 文件名以 .pem 结尾则为 PEM)\n"                           \
    "  --version            显示版本\n"                                                                                         \
    "退出码: 0 成功, 2 参数错误, 3 连接失败, 4 导出失败, 5 服务器证书未被信任、端点列表被改动\n"  \
    "        或证书存储不安全, 6 导出不完整: 搜索中连接中断或超出格式的行数 (已有的点仍写入),\n" \
    "        7 无法生成或读取本客户端证书 (证书命令或需要它的连接)\n"
#define QV_CLI_USAGE_EN                                                                           \
    "usage: quorvane --export FILE [--url URL] [--policy P --mode M]\n"                           \
    "                [--user NAME [--password-env VAR] | --cert FILE --key FILE]\n"               \
    "                [--timeout S] [--lang zh|en] [--allow-plain-password] [--verbose]\n"         \
    "                [--trust-server FP]\n"                                                       \
    "       quorvane --list-endpoints --url URL [--timeout S] [--lang zh|en]\n"                   \
    "       quorvane --show-certificate | --export-certificate FILE | --version | --help\n"       \
    "Without a window: connects, finds every point and exports them to FILE, then exits.\n"       \
    "  --list-endpoints     list the server's endpoints: policy mode sign-in level N\n"           \
    "  --export FILE        the file; .xlsx or .csv choose the format, anything else .xls;\n"     \
    "                       - writes to standard output (csv unless --format says else, no\n"     \
    "                       byte-order mark) and the result line to standard error\n"             \
    "  --format xls|xlsx|csv|json|tags-csv|telegraf  the format, whatever the file's name:\n"     \
    "                       json with typed values and the server's identity, tags-csv a\n"       \
    "                       generic tag list (name address type access units description\n"       \
    "                       path), telegraf an [[inputs.opcua]] section for the Telegraf\n"       \
    "                       data collector (no password)\n"                                       \
    "  --attributes         export all attributes: BrowseName, Description, access levels,\n"     \
    "                       ValueRank, ArrayDimensions, MinimumSamplingInterval,\n"               \
    "                       Historizing, engineering units and range\n"                           \
    "  --url URL            the server, opc.tcp://127.0.0.1:4840 by default\n"                    \
    "  --policy P           None, Basic256Sha256, Aes128_Sha256_RsaOaep, Aes256_Sha256_RsaPss,\n" \
    "                       Basic128Rsa15 or Basic256 (both deprecated); with --mode, and\n"      \
    "                       when neither is given a sign-in takes the strongest secure\n"         \
    "                       endpoint offered (None only with a warning), anonymous None\n"        \
    "  --mode M             None, Sign or \"Sign & Encrypt\" (or SignAndEncrypt)\n"               \
    "  --user NAME          user name sign-in; the password comes from the environment\n"         \
    "                       variable --password-env names, or else one line of standard\n"        \
    "                       input. It never goes on the command line\n"                           \
    "  --cert FILE --key FILE  certificate sign-in (DER files)\n"                                 \
    "  --timeout S          5 to 600 seconds, 10 by default\n"                                    \
    "  --lang zh|en         language of the texts printed; by default from LC_ALL,\n"             \
    "                       LC_MESSAGES, LANG (zh* Chinese, anything else English)\n"             \
    "  --allow-plain-password  let the password travel unencrypted\n"                             \
    "  --verbose            the OPC UA library's log on standard error\n"                         \
    "  --trust-server FP    trust the server certificate with this SHA-256 fingerprint and\n"     \
    "                       remember it (colons optional, any case)\n"                            \
    "  --show-certificate   this client's certificate: path, application URI, fingerprint\n"      \
    "  --export-certificate FILE  write this client's certificate (DER; PEM for .pem)\n"          \
    "  --version            print the version\n"                                                  \
    "exit codes: 0 done, 2 bad arguments, 3 connect failed, 4 export failed,\n"                   \
    "            5 server certificate not trusted, certificate store unsafe or the\n"             \
    "              endpoint list changed on the way,\n"                                           \
    "            6 export not complete: connection lost during the scan or more points\n"         \
    "              than the format holds (what was found is still written),\n"                    \
    "            7 this client's own certificate could not be made or read (by a\n"               \
    "              certificate command or a connect that needs it)\n"

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
    {TextKey::FilterXls, "Excel 97-2003 工作簿(*.xls)", "Excel 97-2003 Workbook(*.xls)"},
    {TextKey::FilterXlsx, "Excel 工作簿(*.xlsx)", "Excel Workbook(*.xlsx)"},
    {TextKey::FilterCsv, "CSV UTF-8(*.csv)", "CSV UTF-8(*.csv)"},
    {TextKey::FilterText, "Text File(*.txt)", "Text File(*.txt)"},
    {TextKey::FilterAll, "All File(*.*)", "All File(*.*)"},
    {TextKey::ExportCappedXlsx, "已导出前 1048575 个点，%d 个点未导出",
     "exported the first 1048575 points, %d points not exported"},
    {TextKey::CliExported, "%d 个点 → ", "%d points → "},
    {TextKey::CliUsage, QV_CLI_USAGE_ZH, QV_CLI_USAGE_EN},
    {TextKey::CliUnknownOption, "未知参数: ", "unknown option: "},
    {TextKey::CliMissingValue, "参数缺少值: ", "option needs a value: "},
    {TextKey::CliBadValue, "参数值无效: ", "invalid value: "},
    {TextKey::CliNeedsExport, "缺少 --export 文件", "--export FILE is required"},
    {TextKey::CliConflict,
     "参数不能同时使用或缺少搭配: ", "options conflict or lack their partner: "},
    {TextKey::CliPasswordOnCommandLine,
     "密码不能写在命令行上，请用 --password-env 变量名 或从标准输入给出",
     "the password never goes on the command line: use --password-env VAR or standard input"},
    {TextKey::CliPasswordEnvUnset, "环境变量未设置: ", "environment variable not set: "},
    {TextKey::CliPasswordPrompt, "密码: ", "password: "},
    {TextKey::CliPlainPasswordHint, "加上 --allow-plain-password 才会以明文发送密码",
     "add --allow-plain-password to send it unencrypted"},
    {TextKey::FilterPlaceholder, "过滤", "filter"},
    // The shown rows, then all rows.
    {TextKey::FilterCount, "显示 %d 个点，共 %d 个点", "showing %d of %d points"},
    {TextKey::SearchProgress, "正在搜索... 已找到 %d 个点", "searching ... %d points found"},
    {TextKey::SearchLost, "连接中断 已找到 %d 个点", "connection lost, %d points found"},
    {TextKey::RefreshLost, "连接中断，正在重试...", "connection lost, retrying ..."},
    {TextKey::RefreshBack, "连接已恢复，数值已更新", "connection restored, values updated"},
    {TextKey::PolicyNotOffered, "服务器不提供所选的安全策略/模式",
     "the server does not offer the chosen security policy and mode"},
    {TextKey::Properties, "属性", "Properties"},
    {TextKey::WriteRefusedNeverRead, "该点还没有读到值，不能写值",
     "no value has been read from this point yet; it cannot be written"},
    {TextKey::WriteRefusedArray, "数组点不能写值", "array points cannot be written"},
    {TextKey::WriteRefusedType, "该点的数据类型不能以文本写值",
     "this point's data type cannot be written as text"},
    {TextKey::WriteRefusedReadOnly, "该点对当前用户只读", "this point is read-only for this user"},
    {TextKey::PointLabel, "点", "Point"},
    {TextKey::DataTypeLabel, "数据类型", "Data type"},
    {TextKey::CurrentValueLabel, "当前值", "Current value"},
    {TextKey::RangeLabel, "范围", "Range"},
    {TextKey::DetailsReading, "正在读取...", "reading ..."},
    {TextKey::DetailsFailed, "读取失败: ", "read failed: "},
    {TextKey::AccessRead, "读", "read"},
    {TextKey::AccessWrite, "写", "write"},
    {TextKey::AccessHistoryRead, "读历史", "history read"},
    {TextKey::AccessHistoryWrite, "写历史", "history write"},
    {TextKey::AccessNone, "无", "none"},
    {TextKey::CopyLine, "复制", "Copy"},
    {TextKey::DeprecatedMark, " (已弃用)", " (deprecated)"},
    {TextKey::CauseBadUrl, " (不是 opc.tcp://主机:端口 形式的地址)",
     " (not an opc.tcp://host:port URL)"},
    {TextKey::CauseHostNotFound, " (找不到主机名)", " (host name not found)"},
    {TextKey::CauseRefused, " (连接被拒绝: 该端口没有服务器在监听)",
     " (connection refused: nothing listens on that port)"},
    {TextKey::CauseTimedOut, " (超时: 服务器没有应答)", " (timed out: the server did not answer)"},
    // Followed by the server's policy/mode pairs and a closing parenthesis.
    {TextKey::OfferedPrefix, " (提供: ", " (offered: "},
    {TextKey::GetEndpoints, "获取端点", "get endpoints"},
    {TextKey::EndpointPolicyColumn, "安全策略", "policy"},
    {TextKey::EndpointModeColumn, "安全模式", "mode"},
    {TextKey::EndpointSignInColumn, "登录方式", "sign-in"},
    {TextKey::EndpointLevelColumn, "安全等级", "level"},
    {TextKey::EndpointsAsking, "正在获取端点...", "asking for endpoints ..."},
    {TextKey::EndpointsNone, "服务器没有列出端点", "the server lists no endpoints"},
    {TextKey::ForgetServer, "忘记此服务器", "forget this server"},
    {TextKey::CliNeedsUrl, "--list-endpoints 需要 --url URL", "--list-endpoints needs --url URL"},
    {TextKey::ServerCertificateUntrusted, "服务器证书未被信任，未向其发送任何凭据",
     "the server's certificate is not trusted; nothing was sent to it"},
    {TextKey::ServerCertificateChanged, "服务器证书已改变，未向其发送任何凭据",
     "the server's certificate has changed; nothing was sent to it"},
    {TextKey::ClientCertificateRefused,
     "服务器尚未信任本客户端。请把客户端证书交给服务器管理员，信任后再连接。证书文件: ",
     "the server does not trust this client yet. Give the client certificate to the server's "
     "administrator to trust, then connect again. Certificate file: "},
    {TextKey::TrustFirstTitle, "未知的服务器证书", "Unknown server certificate"},
    {TextKey::TrustFirstIntro, "第一次连接这台服务器。请与服务器管理员核对指纹后再决定是否信任。",
     "First contact with this server. Check the fingerprint with the server's administrator before "
     "you trust it."},
    {TextKey::TrustChangedTitle, "服务器证书已改变", "Server certificate changed"},
    {TextKey::TrustChangedIntro,
     "这台服务器出示的证书与以前信任的不同。可能是服务器换了证书，也可能是有人冒充它。除非管理员确"
     "认了新指纹，否则请取消。",
     "This server presents another certificate than the one trusted before. The server may have a "
     "new certificate, or someone may be impersonating it. Cancel unless its administrator "
     "confirmed the new fingerprint."},
    {TextKey::CertApplicationUri, "应用程序 URI: ", "Application URI: "},
    {TextKey::CertSubject, "主题: ", "Subject: "},
    {TextKey::CertIssuer, "颁发者: ", "Issuer: "},
    {TextKey::CertValidity, "有效期: ", "Valid: "},
    {TextKey::CertFingerprint, "SHA-256 指纹: ", "SHA-256 fingerprint: "},
    {TextKey::CertPreviousFingerprint, "以前信任的指纹: ", "Fingerprint trusted before: "},
    {TextKey::CertWarnExpired, "警告: 证书已过期", "Warning: the certificate has expired"},
    {TextKey::CertWarnNotYetValid, "警告: 证书尚未生效",
     "Warning: the certificate is not valid yet"},
    {TextKey::CertWarnHost, "警告: 证书中没有地址里的主机名 ",
     "Warning: the certificate does not name the host of the URL: "},
    {TextKey::TrustAlways, "始终信任", "Trust always"},
    {TextKey::TrustThisTime, "仅本次", "Trust this time"},
    {TextKey::ClientCertificateLabel, "客户端证书", "client certificate"},
    {TextKey::ExportCertificate, "导出...", "export..."},
    {TextKey::RenewCertificate, "重新生成", "renew"},
    {TextKey::RenewConfirm, "重新生成客户端证书后，信任旧证书的服务器需要重新信任新证书。继续吗?",
     "After renewing, servers that trusted the old client certificate must be given the new one. "
     "Continue?"},
    {TextKey::CertificateFilter, "证书 (*.der *.pem)", "Certificates (*.der *.pem)"},
    {TextKey::CertificateWriteFailed, "无法写入证书文件", "cannot write the certificate file"},
    {TextKey::ClientIdentityFailed,
     "无法读取或生成客户端证书: ", "cannot read or make the client certificate: "},
    {TextKey::CliServerUntrusted, "服务器证书未被信任，连接在发送任何凭据之前停止。",
     "the server's certificate is not trusted; the connect stopped before anything was sent."},
    {TextKey::CliServerChanged,
     "服务器证书与以前信任的不同! 可能有人冒充这台服务器。连接在发送任何凭据之前停止。",
     "the server's certificate differs from the one trusted before! Someone may be impersonating "
     "the server. The connect stopped before anything was sent."},
    {TextKey::CliTrustHint, "与服务器管理员核对指纹后，这样信任它:\n  quorvane --trust-server ",
     "after checking the fingerprint with the server's administrator, trust it with:\n  quorvane "
     "--trust-server "},
    {TextKey::CliTrustMismatch, "--trust-server 给出的指纹不是这台服务器的: ",
     "the fingerprint given with --trust-server is not this server's: "},
    {TextKey::CliTrustNotStored, "无法保存信任的证书: ", "cannot store the trusted certificate: "},
    {TextKey::CliCertificatePath, "证书文件: ", "certificate file: "},
    {TextKey::ExportProgress, "正在导出... %d/%d", "exporting ... %d/%d"},
    {TextKey::ExportDone, "已导出 %d 个点", "%d points exported"},
    {TextKey::ExportCancelled, "导出已取消，文件未改变", "export cancelled, no file changed"},
    {TextKey::ExportScopeQuestion, "显示 %d 个点，共 %d 个点。导出哪些？",
     "Showing %d of %d points. Which to export?"},
    {TextKey::CliBadFormat, "--format 只能是 xls, xlsx, csv, json, tags-csv 或 telegraf: ",
     "--format must be xls, xlsx, csv, json, tags-csv or telegraf: "},
    // Scan session: what the session's states say
    {TextKey::ConnectDeclined, "未连接", "not connected"},
    {TextKey::ReconnectCertificateChanged, "服务器证书已改变，请重新连接以查看",
     "the server's certificate changed — press Connect to review it"},
    {TextKey::WriteDone, "已写入 %s", "written %s"},
    {TextKey::ExportNeedsStop, "停止更新后可导出", "stop updating to export"},
    {TextKey::ExportOnlyShown, "只导出显示的 %d 个点", "Only the %d points shown"},
    {TextKey::ExportOnlyShownOne, "只导出显示的 1 个点", "Only the 1 point shown"},
    {TextKey::ExportAllPoints, "全部 %d 个点", "All %d"},
    {TextKey::ListOfOtherServer, "列表来自 %s", "list from %s"},
    // The command line in a pipe, and trust no one can bend.
    {TextKey::CauseNotOpcUa, " (有应答，但不是 OPC UA 服务器)",
     " (answered, but not an OPC UA server)"},
    {TextKey::CauseClosedInHandshake, " (握手时关闭了连接)",
     " (closed the connection during the handshake)"},
    // Followed by "; " and CliPlainPasswordHint.
    {TextKey::CliPlainPasswordRefused, "密码没有发送: 服务器只接受不加密的密码",
     "the password was not sent: the server takes it only unencrypted"},
    {TextKey::CliPasswordMissing,
     "没有密码: 请用 --password-env 变量名 指定环境变量，或在标准输入给出一行",
     "no password: name an environment variable with --password-env VAR, or give it as one "
     "line on standard input"},
    // Followed by the path and one of the five reasons below.
    {TextKey::PkiUnsafe, "拒绝使用证书存储: ", "refused to use the certificate store: "},
    {TextKey::UnsafeNotOwned, " 不属于当前用户 (请用 chown 改为自己所有，或删除它)",
     " is not owned by you (chown it to yourself, or remove it)"},
    {TextKey::UnsafeWritable, " 可被组或其他用户写入 (请对它执行 chmod go-w)",
     " is writable by group or others (run chmod go-w on it)"},
    {TextKey::UnsafeLink, " 是符号链接 (请换成真实的文件或文件夹)",
     " is a symbolic link (replace it with the real file or folder)"},
    {TextKey::UnsafeTooBig, " 太大，无法读取 (文件未改动; 请检查或删除它)",
     " is too big to read (it was left as it is; check or remove it)"},
    {TextKey::UnsafeUnreadable, " 无法读取 (请检查它的权限)",
     " cannot be read (check its permissions)"},
    {TextKey::CliNoSecureEndpoint, "警告: 服务器不提供安全端点，连接未加密 (策略/模式 None)",
     "warning: the server offers no secure endpoint; connected without security (None/None)"},
    // Followed by OfferedPrefix, the server's endpoints with their sign-in kinds and ")".
    {TextKey::AnonymousNotOffered, "服务器在所选的安全策略/模式上不接受匿名登录",
     "the server takes no anonymous sign-in with the chosen security policy and mode"},
    // Exports for other tools, the selection, all attributes
    {TextKey::FilterJson, "JSON(*.json)", "JSON(*.json)"},
    {TextKey::FilterTagsCsv, "通用点表 CSV(*.csv)", "Tag list CSV(*.csv)"},
    {TextKey::FilterTelegraf, "Telegraf 配置 (*.toml)", "Telegraf configuration (*.toml)"},
    {TextKey::ExportSelected, "导出选中的 %d 个点", "Export the %d selected points"},
    {TextKey::ExportAllRows, "导出全部 %d 个点", "Export all %d points"},
    {TextKey::ExportAllAttributes, "导出全部属性", "export all attributes"},
    {TextKey::ReadingAttributes, "正在读取属性...", "reading attributes ..."},
    // Scan history and plant inventory
    {TextKey::KeepScanHistory, "记录扫描历史", "keep scan history"},
    {TextKey::HistoryButton, "历史...", "History..."},
    {TextKey::ChangeColumn, "变化", "Change"},
    {TextKey::SinceLastScan, "比上次 ({time}): 新增 {added}，删除 {removed}，变化 {changed}",
     "since last scan ({time}): {added} added, {removed} removed, {changed} changed"},
    {TextKey::ChangeAdded, "新增", "added"},
    {TextKey::ChangeRemoved, "删除", "removed"},
    {TextKey::ChangeDataType, "数据类型", "data type"},
    {TextKey::ChangeAccess, "访问权限", "access"},
    {TextKey::ChangeMoved, "移动", "moved"},
    {TextKey::ChangeArrayScalar, "数组/标量", "array/scalar"},
    {TextKey::ChangeRenamed, "改名", "renamed"},
    {TextKey::ChangeRenumbered, "重新编号", "renumbered"},
    {TextKey::ChangedWith, "变化: ", "changed: "},
    {TextKey::StoreCannotOpen, "无法打开扫描历史: ", "cannot open the scan history: "},
    {TextKey::StoreNewerVersion,
     "扫描历史由更新版本的程序写入 (版本 {found}，本程序 {ours})，未作任何改动: ",
     "the scan history was written by a newer version (schema {found}, this program {ours}) "
     "and is left untouched: "},
    {TextKey::StoreWriteFailed, "无法保存扫描历史: ", "cannot store the scan history: "},
    {TextKey::StoreNoScans, "没有可比较的扫描: ", "no scans to compare: "},
    {TextKey::StoreBaseCutShort, "注意: 扫描 %d 未完成，比较结果不完整",
     "note: scan %d was cut short, the comparison is not complete"},
    {TextKey::DiffNoChanges, "没有变化", "no changes"},
    {TextKey::HistoryHeader, "扫描\t开始\t点数\t完成\t秒",
     "scan\tstarted\tpoints\tcomplete\tseconds"},
    {TextKey::HistoryComplete, "完成", "complete"},
    {TextKey::HistoryCutShort, "未完成", "cut short"},
    {TextKey::CliBadDate, "日期无效 (YYYY-MM-DD [HH:MM]): ", "invalid date (YYYY-MM-DD [HH:MM]): "},
    {TextKey::CliBadScans, "未知的扫描: ", "unknown scan: "},
    {TextKey::CliInventoryCannotRead, "无法读取盘点文件: ", "cannot read the inventory file: "},
    {TextKey::CliInventoryBadLine,
     "盘点文件 {file} 第 {line} 行: ", "inventory file {file} line {line}: "},
    {TextKey::InventoryScanned, "{url}: {points} 个点，{seconds} 秒",
     "{url}: {points} points, {seconds} s"},
    {TextKey::InventoryCutShort, "{url}: 扫描中断，{points} 个点，{seconds} 秒",
     "{url}: scan cut short, {points} points, {seconds} s"},
    {TextKey::InventoryFailed, "{url}: ", "{url}: "},
    {TextKey::InventoryUntrusted, "{url}: 服务器证书不受信任，已跳过 (指纹 {fingerprint})",
     "{url}: server certificate not trusted, skipped (fingerprint {fingerprint})"},
    {TextKey::InventoryChanges, "，比上次: 新增 {added}，删除 {removed}，变化 {changed}",
     ", since last scan: {added} added, {removed} removed, {changed} changed"},
    {TextKey::InventoryFirstScan, "，首次扫描", ", first scan"},
    {TextKey::CliInventoryExportFailed, "导出失败: ", "export failed: "},
    {TextKey::HistoryTitle, "扫描历史", "Scan history"},
    {TextKey::HistoryCompare, "比较", "Compare"},
    {TextKey::HistoryExport, "导出比较...", "Export comparison..."},
    {TextKey::HistoryKindFilter, "变化类型:", "Kind:"},
    {TextKey::HistoryAllKinds, "全部", "all"},
    {TextKey::HistoryLoading, "正在加载...", "loading ..."},
    {TextKey::HistoryColumnScan, "扫描时间", "Scan time"},
    {TextKey::HistoryColumnPoints, "点数", "Points"},
    {TextKey::HistoryColumnDuration, "用时 (秒)", "Duration (s)"},
    {TextKey::HistoryColumnNodeId, "NodeId", "NodeId"},
    {TextKey::HistoryColumnPath, "路径", "Path"},
    {TextKey::HistoryColumnName, "名称", "Name"},
    {TextKey::HistoryColumnBefore, "之前", "Before"},
    {TextKey::HistoryColumnAfter, "之后", "After"},
    {TextKey::CliHistoryUsage,
     "扫描历史与盘点:\n"
     "      quorvane --inventory 文件 [--jobs N] [--export 文件|目录/|-] [--format csv|xlsx|json]\n"
     "      quorvane --history --url URL\n"
     "      quorvane --diff --url URL [--scans A B | --since 日期] [--format csv|json]\n"
     "  --inventory 文件     扫描文件中列出的所有服务器, 每行一个:\n"
     "                       URL [--user 用户名 --password-env 变量名] [--policy 策略 --mode "
     "模式]\n"
     "                       [--cert 证书 --key 私钥] [--timeout 秒], # 开始注释; 也可以是 "
     "--discover 的输出\n"
     "                       每台服务器一行摘要写到标准错误; 目录/ 表示每台服务器一个文件\n"
     "  --jobs N             同时扫描的服务器数, 默认 8\n"
     "  --history            列出该服务器保存的扫描\n"
     "  --diff               比较两次完整扫描 (默认最近两次); --scans 按编号, --since "
     "从该日期前的\n"
     "                       最后一次 (YYYY-MM-DD [HH:MM], 本地时间)\n"
     "  --no-history         本次扫描不记录到扫描历史\n"
     "扫描历史保存在 $XDG_DATA_HOME/quorvane/inventory.sqlite (默认 ~/.local/share)\n"
     "--inventory 退出码: 0 全部完整, 5 有服务器不受信任, 6 有扫描中断或无法连接 (取最差), 2 "
     "输入错误\n"
     "--diff 退出码: 0 没有变化, 1 有变化, 2 出错\n",
     "scan history and inventory:\n"
     "      quorvane --inventory FILE [--jobs N] [--export FILE|DIR/|-] [--format csv|xlsx|json]\n"
     "      quorvane --history --url URL\n"
     "      quorvane --diff --url URL [--scans A B | --since DATE] [--format csv|json]\n"
     "  --inventory FILE     scan every server FILE lists, one a line:\n"
     "                       URL [--user NAME --password-env VAR] [--policy P --mode M]\n"
     "                       [--cert F --key F] [--timeout S]; # starts a comment; or the output\n"
     "                       of --discover. A summary line per server on standard error;\n"
     "                       DIR/ writes one file per server\n"
     "  --jobs N             servers scanned at once, 8 by default\n"
     "  --history            the stored scans of the server\n"
     "  --diff               compare two complete scans (the last two by default); --scans by\n"
     "                       number, --since from the last one before DATE (YYYY-MM-DD [HH:MM],\n"
     "                       local time)\n"
     "  --no-history         do not record this run's scans\n"
     "the history is kept in $XDG_DATA_HOME/quorvane/inventory.sqlite (~/.local/share by default)\n"
     "--inventory exit codes: 0 all complete, 5 a server not trusted, 6 a scan cut short or a\n"
     "            server not reached (the worst wins), 2 bad input\n"
     "--diff exit codes: 0 no changes, 1 changes, 2 trouble\n"},
    // Finding the servers on a network and judging their security
    {TextKey::DiscoverBadRange, "无法识别的地址范围: ", "not an address range: "},
    {TextKey::DiscoverRangeTooWide,
     "地址范围太大 (最多 /16): ", "address range too wide (at most a /16): "},
    {TextKey::DiscoverRangeReversed,
     "地址范围的结束在开始之前: ", "address range ends before it starts: "},
    {TextKey::DiscoverUnknownHost, "无法解析的主机名: ", "host name does not resolve: "},
    {TextKey::DiscoverBadPorts,
     "无效的端口列表 (如 4840,48010-48020): ", "not a port list (like 4840,48010-48020): "},
    {TextKey::DiscoverBadTimeout,
     "--probe-timeout 须为 50 到 60000 毫秒: ", "--probe-timeout must be 50 to 60000 ms: "},
    {TextKey::DiscoverBadOption, "--discover 不支持的选项: ", "option not known with --discover: "},
    {TextKey::DiscoverMissingValue, "选项缺少值: ", "option needs a value: "},
    {TextKey::DiscoverUsage,
     "      quorvane --discover [--sweep 范围]... [--ports 端口列表] [--lds URL]... [--mdns]\n     "
     "           [--url URL]... [--probe-timeout 毫秒] [--export 文件|-] [--format "
     "csv|json|xlsx] [--no-history]\n查找网络上的 OPC UA 服务器 (只用 "
     "GetEndpoints，不建立会话，不发送任何密码)。\n  --sweep 范围         扫描地址: 10.1.2.0/24, "
     "10.1.2.10-10.1.2.60, 主机名, IPv6 地址\n  --ports 端口列表     默认 "
     "4840,4841,4843,4897,26543,48010,48020,48030,48400,48401,\n                       "
     "49320,49380,51210,52520,53530,62541\n  --lds URL            询问本地发现服务器 (FindServers, "
     "FindServersOnNetwork)\n  --mdns               通过 avahi 浏览 _opcua-tcp._tcp\n  --url URL   "
     "         直接询问此服务器\n  --probe-timeout 毫秒 每次探测的超时，默认 1000\n  "
     "--no-history         不把安全问题记入扫描历史 (默认记入，盘点中显示)\n  "
     "不给来源时询问 opc.tcp://localhost:4840/UADiscovery 和 mDNS。\n  每个端点一行 (csv, "
     "默认写到标准输出)，--format json 每个服务器一个对象。\n  退出码: 0 完成 (也包括找到 0 "
     "个服务器), 2 参数错误, 4 导出失败\n",
     "      quorvane --discover [--sweep RANGE]... [--ports LIST] [--lds URL]... [--mdns]\n        "
     "        [--url URL]... [--probe-timeout MS] [--export FILE|-] [--format "
     "csv|json|xlsx] [--no-history]\nFinds the OPC UA servers on the network (GetEndpoints only: "
     "no session, no "
     "password sent).\n  --sweep RANGE        addresses to sweep: 10.1.2.0/24, "
     "10.1.2.10-10.1.2.60, host names, IPv6\n  --ports LIST         default "
     "4840,4841,4843,4897,26543,48010,48020,48030,48400,48401,\n                       "
     "49320,49380,51210,52520,53530,62541\n  --lds URL            ask a local discovery server "
     "(FindServers, FindServersOnNetwork)\n  --mdns               browse _opcua-tcp._tcp through "
     "avahi\n  --url URL            ask this server directly\n  --probe-timeout MS   per probe, "
     "default 1000\n  --no-history         do not record the findings in the scan history (the\n"
     "                       inventory shows them)\n  Without any source: "
     "opc.tcp://localhost:4840/UADiscovery and mDNS.\n  One "
     "row per server endpoint (csv, to standard output by default); --format json gives one\n  "
     "object per server. Exit codes: 0 done (also with 0 servers), 2 bad arguments, 4 export "
     "failed\n"},
    {TextKey::MdnsUnavailable, "mDNS 不可用 (没有 avahi-daemon)",
     "mDNS unavailable (no avahi-daemon)"},
    {TextKey::LdsUnreachable, "无法询问发现服务器: ", "discovery server not reachable: "},
    {TextKey::FindingNoSecureEndpoint, "没有任何安全端点", "no secure endpoint at all"},
    {TextKey::FindingNoneBesideSecure, "安全端点之外还提供 None",
     "None offered beside secure endpoints"},
    {TextKey::FindingDeprecatedPolicy, "已弃用的安全策略", "deprecated security policies"},
    {TextKey::FindingAnonymous, "允许匿名登录", "anonymous sign-in offered"},
    {TextKey::FindingPlainPassword, "密码将不加密传输", "a password would travel unencrypted"},
    {TextKey::FindingExpired, "证书已过期", "certificate expired"},
    {TextKey::FindingNotYetValid, "证书尚未生效", "certificate not yet valid"},
    {TextKey::FindingSha1, "证书使用 SHA-1 签名", "certificate signed with SHA-1"},
    {TextKey::FindingWeakKey, "RSA 密钥短于 2048 位", "RSA key under 2048 bits"},
    {TextKey::FindingHostNotNamed, "证书中没有此主机名", "host name not in the certificate"},
    {TextKey::FindingSharedCertificate, "多个服务器使用同一证书",
     "the same certificate on several servers"},
    {TextKey::SeverityHigh, "高", "high"},
    {TextKey::SeverityMedium, "中", "medium"},
    {TextKey::SeverityLow, "低", "low"},
    {TextKey::SummaryServers, "%d 个服务器", "%d servers"},
    {TextKey::SummaryWithoutSecurity, "%d 个无安全", "%d without security"},
    {TextKey::SummaryAnonymous, "%d 个允许匿名", "%d allow anonymous"},
    {TextKey::SummaryShared, "%d 个共用一个证书", "%d share one certificate"},
    {TextKey::DiscoverProgress, "探测 %d/%d, 找到 %d 个服务器", "probes %d/%d, %d servers found"},
    {TextKey::TrustStateTrusted, "已信任", "trusted"},
    {TextKey::TrustStateUnknown, "未知", "unknown"},
    {TextKey::TrustStateChanged, "已改变", "changed"},
    {TextKey::NotOpcUa, "不是 OPC UA", "not OPC UA"},
    {TextKey::PortSilent, "无应答", "silent"},
    {TextKey::FindServers, "查找服务器...", "Find servers..."},
    {TextKey::FindServersTitle, "查找服务器", "Find servers"},
    {TextKey::UseServer, "使用", "Use"},
    {TextKey::ExportServers, "导出...", "Export..."},
    {TextKey::StartDiscovery, "开始", "Start"},
    {TextKey::SweepRanges, "地址范围:", "Address ranges:"},
    {TextKey::SweepPorts, "端口:", "Ports:"},
    {TextKey::LdsUrls, "发现服务器:", "Discovery servers:"},
    {TextKey::UseMdns, "mDNS", "mDNS"},
    {TextKey::DiscoverColumns, "服务器\t地址\t端口\t端点\t安全\t发现\t信任",
     "Server\tAddress\tPort\tEndpoints\tSecurity\tFindings\tTrust"},
    {TextKey::GivenUrls, "服务器地址:", "Server URLs:"},
    {TextKey::UseRemembered, "已记住的服务器", "Remembered servers"},
    // The window's Change column, its cut-short scans and the Inventory view
    {TextKey::ScanCutShortKept, "扫描未完成: 已记入历史并标为未完成，不作比较基准",
     "scan cut short: kept in the history marked as such, never a comparison base"},
    {TextKey::CutShortPassedOver, "，其后 %d 次未完成的扫描未作比较",
     ", %d later scans cut short not compared with"},
    {TextKey::NoCompleteBase, "没有完整的扫描可比较 (%d 次未完成)",
     "no complete scan to compare with (%d cut short)"},
    {TextKey::InventoryButton, "盘点...", "Inventory..."},
    {TextKey::InventoryTitle, "盘点", "Inventory"},
    {TextKey::InventoryColumnServer, "服务器", "Server"},
    {TextKey::InventoryColumnLastScan, "上次扫描", "Last scan"},
    {TextKey::InventoryColumnPoints, "点数", "Points"},
    {TextKey::InventoryColumnChanges, "变化", "Changes"},
    {TextKey::InventoryColumnFindings, "安全发现", "Security findings"},
    {TextKey::InventoryLastCutShort, "{time} (未完成)", "{time} (cut short)"},
    {TextKey::InventoryNoCompleteScan, "没有完整的扫描", "no complete scan"},
    {TextKey::InventoryFirstComplete, "首次完整扫描", "first complete scan"},
    {TextKey::InventoryChangeCounts, "新增 {added}，删除 {removed}，变化 {changed}",
     "{added} added, {removed} removed, {changed} changed"},
    {TextKey::InventoryFindingCount, "{count} 项 (最高: {worst})", "{count} (worst: {worst})"},
    {TextKey::InventoryNoFindings, "无", "none"},
    // Endpoint list confirmed inside the channel
    {TextKey::EndpointsChanged, "端点列表在传输途中被改动——可能受到攻击",
     "the endpoint list was changed on the way — possible attack"},
    // Password box once the password is stored
    {TextKey::PasswordKept, "已保存 (留空则保持不变)", "stored (leave empty to keep it)"},
    {TextKey::Trend, "趋势", "Trend"},
    {TextKey::TrendMinutes, "%d 分钟", "%d min"},
    {TextKey::TrendPause, "暂停", "Pause"},
    {TextKey::TrendResume, "继续", "Resume"},
    {TextKey::TrendExport, "导出 CSV...", "Export CSV..."},
    {TextKey::TrendHistory, "历史", "History"},
    {TextKey::TrendLastHour, "最近一小时", "last hour"},
    {TextKey::TrendLastDay, "最近一天", "last day"},
    {TextKey::TrendChosenRange, "指定时段", "chosen range"},
    {TextKey::TrendReading, "正在读取历史...", "reading history ..."},
    {TextKey::TrendHistoryRead, "已读取 %d 个历史值", "%d stored values read"},
    {TextKey::TrendNoHistory, "服务器不支持历史数据", "the server keeps no history"},
    {TextKey::TrendNotHistorizing, "这些点没有历史记录", "these points keep no history"},
    {TextKey::TrendHistoryFailed, "读取历史失败: ", "history read failed: "},
    {TextKey::TrendPointGone, "点已删除, 不再更新", "point deleted, no longer updated"},
    {TextKey::SamplingInterval, "采样间隔", "sampling interval"},
    {TextKey::Milliseconds, "毫秒", "ms"},
    {TextKey::SamplingOutOfRange, "采样间隔必须在100毫秒~60000毫秒之间",
     "the sampling interval must be between 100 ms and 60000 ms"},
    {TextKey::CliWatchUsage,
     "       quorvane --watch NODEID... --url URL [--seconds N] [--format csv|json]\n"
     "                [--sampling MS] [连接参数同上]\n"
     "订阅这些点，每次数值变化输出一行 (时间 UTC、NodeId、数值、质量)，每行立即写出；\n"
     "  --seconds N          N 秒后结束；不给则直到 SIGINT / SIGTERM\n"
     "  --sampling MS        采样间隔 100 到 60000 毫秒，默认 1000\n"
     "  --format csv|json    每行一条 CSV 记录 (默认) 或一个 JSON 对象\n"
     "退出码: 8 服务器拒绝订阅或拒绝所有的点 (未知 NodeId 逐个写在标准错误上)，\n"
     "        6 订阅期间连接中断\n",
     "       quorvane --watch NODEID... --url URL [--seconds N] [--format csv|json]\n"
     "                [--sampling MS] [connect options as above]\n"
     "Subscribes to the points and prints one line per change (time in UTC, NodeId, value,\n"
     "quality), each written at once:\n"
     "  --seconds N          end after N seconds; without it, at SIGINT / SIGTERM\n"
     "  --sampling MS        sampling interval, 100 to 60000 ms, 1000 by default\n"
     "  --format csv|json    one CSV record per line (the default) or one JSON object\n"
     "exit codes: 8 the server refused the subscription or every point (an unknown NodeId\n"
     "              is named on standard error, one line each),\n"
     "            6 the connection was lost while watching\n"},
    {TextKey::CliWatchBadNodeId, "不是 NodeId: ", "not a NodeId: "},
    {TextKey::CliWatchRefused, "服务器拒绝订阅: ", "the server refused the subscription: "},
    {TextKey::CliWatchLost, "订阅期间连接中断: ", "connection lost while watching: "},
};

#undef QV_TITLE_PREFIX
#undef QV_CLI_USAGE_ZH
#undef QV_CLI_USAGE_EN

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
