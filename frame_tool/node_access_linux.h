#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "frame_tool/node_access.h"

// Linux only: what decides whether a user may open a hidraw node, gathered from the system and then judged, so
// that the judgement can be checked on any set of facts.

namespace frame_tool {

/// One entry of a POSIX access ACL as the kernel stores it (tag ACL_USER_OBJ 0x01, ACL_USER 0x02, ACL_GROUP_OBJ
/// 0x04, ACL_GROUP 0x08, ACL_MASK 0x10, ACL_OTHER 0x20; permissions rwx as 4, 2, 1).
struct AclEntry {
    std::uint16_t tag = 0;
    std::uint16_t permissions = 0;
    std::uint32_t id = 0;
};

struct NodeFacts {
    std::string path;
    std::uint16_t vendorId = 0;
    int statError = 0;  ///< errno of stat(), 0 when the node exists
    int openError = 0;  ///< errno of opening it for reading and writing, 0 when that worked
    unsigned mode = 0;  ///< st_mode
    unsigned owner = 0;
    unsigned group = 0;
    std::string ownerName;
    std::string groupName;
    std::vector<AclEntry> acl;  ///< empty when the node has no ACL
    unsigned user = 0;          ///< effective uid of this process
    std::string userName;
    std::vector<unsigned> userGroups;       ///< effective and supplementary groups
    std::vector<std::string> projectRules;  ///< installed copies of the project's udev rule
    bool vendorInRules = false;             ///< an installed Orvessa rule names the vendor id
};

/// Folders udev reads rules from, in its order of precedence.
const std::vector<std::string> &udevRuleFolders();

/// Collects the facts about @p path for this process's user; the rules are looked for in @p ruleFolders.
NodeFacts gatherNodeFacts(const std::string &path, std::uint16_t vendorId, const std::vector<std::string> &ruleFolders);

/// The reason, details and fix that @p facts imply. A node whose open found it gone (ENOENT, ENODEV, ENXIO) is
/// gone, with nothing more to say; one that cannot even be looked at has only the open's reason. A node refused for
/// lack of permission is fixed by a udev rule line for the vendor when no Orvessa rule names it, else (the rule grants
/// access only to the user at the seat) by an ACL entry for this user on the node until it is plugged in again. Other
/// errors have no fix.
NodeAccess judgeNodeAccess(const NodeFacts &facts);

/// rwx bits (4, 2, 1) this user gets on the node from its mode and ACL, by the POSIX ACL rules.
unsigned userPermissions(const NodeFacts &facts);

}  // namespace frame_tool
