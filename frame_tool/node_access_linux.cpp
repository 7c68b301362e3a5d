#include "frame_tool/node_access_linux.h"

#include <fcntl.h>
#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QRegularExpression>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>

namespace frame_tool {
namespace {

enum AclTag : std::uint16_t { userObj = 0x01, namedUser = 0x02, groupObj = 0x04, namedGroup = 0x08, aclMask = 0x10 };

const QString projectRuleName = QStringLiteral("70-orvessa-touch-frame.rules");
// Lines the fix adds go to a file of their own, so that the package's rule stays as it was shipped.
const QString localRulePath = QStringLiteral("/etc/udev/rules.d/70-orvessa-local.rules");

std::string userName(unsigned uid) {
    const passwd *entry = getpwuid(uid);
    return entry ? entry->pw_name : std::to_string(uid);
}

std::string groupName(unsigned gid) {
    const group *entry = getgrgid(gid);
    return entry ? entry->gr_name : std::to_string(gid);
}

std::vector<AclEntry> readAcl(const std::string &path) {
    // The kernel's format (linux/posix_acl_xattr.h): a 4-byte version 2, then 8-byte entries, little endian.
    std::array<unsigned char, 4096> buffer{};
    const ssize_t size = getxattr(path.c_str(), "system.posix_acl_access", buffer.data(), buffer.size());
    std::vector<AclEntry> entries;
    if (size < 4 || buffer[0] != 2)
        return entries;
    for (ssize_t at = 4; at + 8 <= size; at += 8) {
        const unsigned char *e = buffer.data() + at;
        entries.push_back(AclEntry{std::uint16_t(e[0] | e[1] << 8), std::uint16_t(e[2] | e[3] << 8),
                                   std::uint32_t(e[4] | e[5] << 8 | e[6] << 16 | std::uint32_t(e[7]) << 24)});
    }
    return entries;
}

QString permissionText(unsigned bits) {
    return QString(QLatin1Char(bits & 4 ? 'r' : '-')) + QLatin1Char(bits & 2 ? 'w' : '-') +
           QLatin1Char(bits & 1 ? 'x' : '-');
}

QString modeText(unsigned mode) {
    const QChar type = S_ISCHR(mode) ? u'c' : S_ISREG(mode) ? u'-' : u'?';
    return type + permissionText(mode >> 6) + permissionText(mode >> 3) + permissionText(mode) +
           QStringLiteral(" (%1)").arg(mode & 07777, 4, 8, QLatin1Char('0'));
}

QString aclText(const NodeFacts &facts) {
    QStringList entries;
    for (const AclEntry &entry : facts.acl) {
        if (entry.tag == namedUser)
            entries << QStringLiteral("user:%1:").arg(QString::fromStdString(userName(entry.id)));
        else if (entry.tag == namedGroup)
            entries << QStringLiteral("group:%1:").arg(QString::fromStdString(groupName(entry.id)));
        else if (entry.tag == aclMask)
            entries << QStringLiteral("mask::");
        else
            continue;
        entries.last() += permissionText(entry.permissions);
    }
    return entries.isEmpty() ? QStringLiteral("ACL: none beyond the mode")
                             : QStringLiteral("ACL: ") + entries.join(u' ');
}

QString vendorHex(std::uint16_t vendorId) {
    return QStringLiteral("%1").arg(vendorId, 4, 16, QLatin1Char('0'));
}

QString ruleText(const NodeFacts &facts) {
    const QString vendor = vendorHex(facts.vendorId);
    if (facts.projectRules.empty())
        return QStringLiteral("udev rule %1: not installed%2")
            .arg(projectRuleName,
                 facts.vendorInRules ? QStringLiteral(" (a local Orvessa rule names %1)").arg(vendor) : QString());
    return QStringLiteral("udev rule %1: installed (%2), %3")
        .arg(projectRuleName, QString::fromStdString(facts.projectRules.front()),
             facts.vendorInRules ? QStringLiteral("vendor id %1 is in it").arg(vendor)
                                 : QStringLiteral("but no Orvessa rule names vendor id %1").arg(vendor));
}

bool rulesNameVendor(const QString &text, std::uint16_t vendorId) {
    const QRegularExpression line(QStringLiteral(R"(^\s*[^#].*ATTRS\{idVendor\}=="%1")").arg(vendorHex(vendorId)),
                                  QRegularExpression::MultilineOption | QRegularExpression::CaseInsensitiveOption);
    return line.match(text).hasMatch();
}

}  // namespace

const std::vector<std::string> &udevRuleFolders() {
    static const std::vector<std::string> folders{"/etc/udev/rules.d", "/run/udev/rules.d",
                                                  "/usr/local/lib/udev/rules.d", "/usr/lib/udev/rules.d",
                                                  "/lib/udev/rules.d"};
    return folders;
}

NodeFacts gatherNodeFacts(const std::string &path, std::uint16_t vendorId,
                          const std::vector<std::string> &ruleFolders) {
    NodeFacts facts;
    facts.path = path;
    facts.vendorId = vendorId;
    facts.user = geteuid();
    facts.userName = userName(facts.user);
    facts.userGroups.push_back(getegid());
    std::vector<gid_t> groups(std::size_t(std::max(getgroups(0, nullptr), 0)));
    groups.resize(std::size_t(std::max(getgroups(int(groups.size()), groups.data()), 0)));
    facts.userGroups.insert(facts.userGroups.end(), groups.begin(), groups.end());

    struct stat node {};
    if (stat(path.c_str(), &node) != 0) {
        facts.statError = errno;
    } else {
        facts.mode = node.st_mode;
        facts.owner = node.st_uid;
        facts.group = node.st_gid;
        facts.ownerName = userName(node.st_uid);
        facts.groupName = groupName(node.st_gid);
        facts.acl = readAcl(path);
    }
    const int descriptor = open(path.c_str(), O_RDWR | O_CLOEXEC | O_NONBLOCK);
    facts.openError = descriptor < 0 ? errno : 0;
    if (descriptor >= 0)
        close(descriptor);

    for (const std::string &folder : ruleFolders) {
        const QDir rules(QString::fromStdString(folder));
        for (const QString &name : rules.entryList({QStringLiteral("*orvessa*.rules")}, QDir::Files)) {
            QFile file(rules.filePath(name));
            if (name == projectRuleName)
                facts.projectRules.push_back(file.fileName().toStdString());
            if (file.open(QIODevice::ReadOnly) && rulesNameVendor(QString::fromUtf8(file.readAll()), vendorId))
                facts.vendorInRules = true;
        }
    }
    return facts;
}

unsigned userPermissions(const NodeFacts &facts) {
    if (facts.user == facts.owner)
        return (facts.mode >> 6) & 7;
    unsigned mask = 7;
    for (const AclEntry &entry : facts.acl)
        if (entry.tag == aclMask)
            mask = entry.permissions;
    for (const AclEntry &entry : facts.acl)
        if (entry.tag == namedUser && entry.id == facts.user)
            return entry.permissions & mask;
    const auto member = [&](unsigned gid) {
        return std::find(facts.userGroups.begin(), facts.userGroups.end(), gid) != facts.userGroups.end();
    };
    // With an ACL the mode's group bits are the mask; the owning group's own entry is ACL_GROUP_OBJ.
    bool inGroup = member(facts.group);
    unsigned granted = inGroup && facts.acl.empty() ? (facts.mode >> 3) & 7 : 0;
    for (const AclEntry &entry : facts.acl) {
        if ((entry.tag == groupObj && member(facts.group)) || (entry.tag == namedGroup && member(entry.id))) {
            inGroup = true;
            granted |= entry.permissions;
        }
    }
    if (inGroup)
        return granted & mask;
    return facts.mode & 7;
}

NodeAccess judgeNodeAccess(const NodeFacts &facts) {
    NodeAccess access;
    if (facts.openError == ENOENT || facts.openError == ENODEV || facts.openError == ENXIO) {
        access.gone = true;
        access.reason = QString::fromLocal8Bit(std::strerror(facts.openError));
        return access;
    }
    access.reason = facts.openError ? QString::fromLocal8Bit(std::strerror(facts.openError))
                                    : QStringLiteral("the node opens, but the HID library refused it");
    if (facts.statError)
        return access;  // nothing known of the node beyond the open's error
    const QString user = QString::fromStdString(facts.userName);
    access.details << QStringLiteral("node: owner %1:%2, mode %3")
                          .arg(QString::fromStdString(facts.ownerName), QString::fromStdString(facts.groupName),
                               modeText(facts.mode))
                   << aclText(facts)
                   << QStringLiteral("user %1 (uid %2) gets %3 on it")
                          .arg(user)
                          .arg(facts.user)
                          .arg(permissionText(userPermissions(facts)))
                   << ruleText(facts);
    if (facts.openError != EACCES && facts.openError != EPERM)
        return access;
    if (!facts.vendorInRules) {
        access.fix = QStringLiteral(
                         "echo 'SUBSYSTEM==\"hidraw\", ATTRS{idVendor}==\"%1\", TAG+=\"uaccess\"' | sudo tee "
                         "-a %2 >/dev/null && sudo udevadm control --reload-rules && sudo udevadm trigger "
                         "--subsystem-match=hidraw")
                         .arg(vendorHex(facts.vendorId), localRulePath);
    } else {
        // The rule's uaccess tag gives the node to the user logged in at the seat, not to a remote shell's user, and
        // only once udev applied it to the node (a frame plugged in before the rule was installed has no access).
        access.details << QStringLiteral(
                              "the rule gives the node to the user logged in at the seat once udev has "
                              "applied it; %1 has no access yet")
                              .arg(user);
        access.fix = QStringLiteral("sudo setfacl -m u:%1:rw %2   # until the frame is plugged in again")
                         .arg(user, QString::fromStdString(facts.path));
    }
    return access;
}

NodeAccess diagnoseNodeAccess(const std::string &path, std::uint16_t vendorId, const device::OpenError &error) {
    NodeFacts facts = gatherNodeFacts(path, vendorId, udevRuleFolders());
    // The program's own open decides; the second open made while gathering is only its stand-in.
    if (error.code != 0)
        facts.openError = error.code;
    return judgeNodeAccess(facts);
}

}  // namespace frame_tool
