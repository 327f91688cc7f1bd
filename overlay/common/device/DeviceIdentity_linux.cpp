// SPDX-License-Identifier: GPL-3.0-or-later
#include <map>
#include <mutex>
#include <optional>
#include <string_view>

#include "device/DeviceIdentity.h"
#include "platform/hid.h"

namespace {

// "hidraw12#col02" in the last path component -> 12; -1 for anything else.
long GroupNodeNumber(const std::string& path) {
  const std::string_view name = std::string_view(path).substr(path.rfind('/') + 1);
  const std::size_t hash = name.find("#col");
  if (name.substr(0, 6) != "hidraw" || hash == std::string_view::npos || hash == 6 || hash > 12) return -1;
  const std::string_view digits = name.substr(6, hash - 6), collection = name.substr(hash + 4);
  if (collection.size() != 2) return -1;
  long number = 0;
  for (char c : digits) {
    if (c < '0' || c > '9') return -1;
    number = number * 10 + (c - '0');
  }
  for (char c : collection)
    if (c < '0' || c > '9') return -1;
  return number;
}

std::string NodeOf(const std::string& path) {
  return path.substr(0, path.rfind("#col"));
}

class RememberedNodes {
 public:
  void Remember(const std::string& node, const InterfaceIdentity& identity) {
    std::lock_guard lock(m_lock);
    m_nodes[node] = identity;
  }
  std::optional<InterfaceIdentity> Find(const std::string& node) {
    std::lock_guard lock(m_lock);
    const auto it = m_nodes.find(node);
    if (it == m_nodes.end()) return std::nullopt;
    return it->second;
  }
  std::optional<InterfaceIdentity> Forget(const std::string& node) {
    std::lock_guard lock(m_lock);
    const auto it = m_nodes.find(node);
    if (it == m_nodes.end()) return std::nullopt;
    const InterfaceIdentity identity = it->second;
    m_nodes.erase(it);
    return identity;
  }

 private:
  std::mutex m_lock;
  std::map<std::string, InterfaceIdentity> m_nodes;
};

RememberedNodes& Remembered() {
  static RememberedNodes nodes;
  return nodes;
}

// The collections of a node share its group, so its first collection speaks for it.
InterfaceIdentity IdentifyNode(const std::string& node) {
  return IdentifyInterface(node + "#col01");
}

}  // namespace

InterfaceIdentity IdentifyInterface(const std::string& path) {
  InterfaceIdentity identity;
  const long number = GroupNodeNumber(path);
  platform::HidInterfaceInfo info;
  if (number < 0 || platform::HidGetInterfaceInfo(path, &info) != platform::kHidSuccess) return identity;
  identity.vendorId = info.attributes.VendorID;
  identity.productId = info.attributes.ProductID;
  identity.groupId = std::uint32_t(number) + 1;  // 0 stays free for a source of unknown identity
  identity.valid = true;
  return identity;
}

InterfaceIdentity IdentifyArrivedNode(const std::string& node) {
  const InterfaceIdentity identity = IdentifyNode(node);
  Remembered().Remember(node, identity);
  return identity;
}

InterfaceIdentity IdentifyRemovedNode(const std::string& node) {
  if (const auto identity = Remembered().Forget(node)) return *identity;
  return IdentifyNode(node);
}

InterfaceIdentity IdentifyInputSource(const std::string& node) {
  if (node.empty()) return {};
  if (const auto identity = Remembered().Find(node)) return *identity;
  return IdentifyArrivedNode(node);
}

std::vector<std::string> PresentNodes() {
  std::vector<std::string> nodes;
  for (const std::string& path : platform::HidEnumerate()) {
    const std::string node = NodeOf(path);
    if (nodes.empty() || nodes.back() != node) nodes.push_back(node);
  }
  return nodes;
}
