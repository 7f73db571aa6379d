#include "export/telegraf/telegraf_export.h"

#include <cstdio>
#include <unordered_set>

#include "engine/node_id_text.h"
#include "engine/opcua_item_data.h"
#include "export/replacing_file.h"
#include "export/util/buffered_output.h"
#include "export/util/quoted_text.h"
#include "export/util/valid_utf8.h"

namespace {

const char* AuthMethod(int authKind) {
    switch (authKind) {
        case 2:
            return "UserName";
        case 3:
            return "Certificate";
        default:
            return "Anonymous";
    }
}

// The display name, or the NodeId text when there is none; made unique with "_2", "_3", ...
class UniqueNames {
public:
    std::string For(const OPCUAItemData& point) {
        // Compared as written: two ill-formed names may come out the same.
        const std::string base =
            ValidUtf8(point.displayName.empty() ? NodeIdToText(point.nodeId) : point.displayName);
        std::string name = base;
        for (std::size_t n = 2; !taken_.insert(name).second; ++n) {
            name = base + "_" + std::to_string(n);
        }
        return name;
    }

private:
    std::unordered_set<std::string> taken_;
};

void WriteConnection(BufferedOutput& out, const ExportSource& source, std::size_t points) {
    const std::string mode = TelegrafSecurityMode(source.securityMode);
    out << "# " << std::to_string(points) << " points of " << source.endpoint
        << ", written by Quorvane.\n"
        << "[[inputs.opcua]]\n"
        << "  name = \"opcua\"\n"
        << "  endpoint = " << QuotedText(source.endpoint) << "\n"
        << "  security_policy = " << QuotedText(TelegrafSecurityPolicy(source.securityPolicy))
        << "\n"
        << "  security_mode = " << QuotedText(mode) << "\n";
    if (!source.certificatePath.empty()) {
        // The collector documents PEM files; this installation keeps DER.
        out << "  ## DER files; if the collector wants PEM: openssl x509 -inform der -in <cert> "
               "-out cert.pem\n"
            << "  ## and openssl rsa -inform der -in <key> -out key.pem\n"
            << "  certificate = " << QuotedText(source.certificatePath) << "\n"
            << "  private_key = " << QuotedText(source.privateKeyPath) << "\n";
    }
    out << "  auth_method = " << QuotedText(AuthMethod(source.authKind)) << "\n";
    if (source.authKind == 2) {
        out << "  username = " << QuotedText(source.userName) << "\n"
            << "  password = \"${" << kTelegrafPasswordVariable << "}\"\n";
    }
}

}  // namespace

TelegrafIdentifier TelegrafIdentifierOf(const UA_NodeId& nodeId) {
    switch (nodeId.identifierType) {
        case UA_NODEIDTYPE_NUMERIC:
            return {"i", std::to_string(nodeId.identifier.numeric)};
        case UA_NODEIDTYPE_STRING: {
            const UA_String& s = nodeId.identifier.string;
            return {"s", s.length == 0
                             ? std::string()
                             : std::string(reinterpret_cast<const char*>(s.data), s.length)};
        }
        case UA_NODEIDTYPE_GUID: {
            const UA_Guid& g = nodeId.identifier.guid;
            char text[37];
            std::snprintf(text, sizeof text, "%08x-%04x-%04x-%02x%02x-%02x%02x%02x%02x%02x%02x",
                          static_cast<unsigned>(g.data1), static_cast<unsigned>(g.data2),
                          static_cast<unsigned>(g.data3), g.data4[0], g.data4[1], g.data4[2],
                          g.data4[3], g.data4[4], g.data4[5], g.data4[6], g.data4[7]);
            return {"g", text};
        }
        default: {
            // The list's text ends in the Base64 of the bytes, after "ns=<n>;b=".
            const std::string text = NodeIdToText(nodeId);
            return {"b", text.substr(text.find(";b=") + 3)};
        }
    }
}

std::string TelegrafSecurityMode(const std::string& mode) {
    if (mode.empty()) return "auto";
    if (mode == "Sign & Encrypt") return "SignAndEncrypt";
    return mode;
}

std::string TelegrafSecurityPolicy(const std::string& policy) {
    return policy.empty() ? std::string("auto") : policy;
}

bool WriteTelegrafConfig(const std::vector<OPCUAItemData*>& points, ReplacingFile& file,
                         const ExportContext& context, const ExportProgress* progress) {
    if (!file.IsOpen()) return false;
    BufferedOutput out(file);
    WriteConnection(out, context.source, points.size());
    UniqueNames names;
    bool ok = true;
    for (std::size_t i = 0; ok && i < points.size(); ++i) {
        if (!KeepGoing(progress, i, points.size())) return false;
        const OPCUAItemData& point = *points[i];
        const TelegrafIdentifier id = TelegrafIdentifierOf(point.nodeId);
        out << "\n  [[inputs.opcua.nodes]]\n"
            << "    name = " << QuotedText(names.For(point)) << "\n"
            << "    namespace = \"" << std::to_string(point.nodeId.namespaceIndex) << "\"\n"
            << "    identifier_type = \"" << id.type << "\"\n"
            << "    identifier = " << QuotedText(id.identifier) << "\n";
        if (!point.Path().empty()) {
            out << "    default_tags = { path = " << QuotedText(point.Path()) << " }\n";
        }
        ok = out.Ok();
    }
    return ok && KeepGoing(progress, points.size(), points.size()) && out.Flush() && file.Commit();
}
