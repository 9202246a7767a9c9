#include "core/show/shuffle_cycle.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "core/base/clock.h"
#include "core/settings/profile_store.h"

namespace glintora {
namespace {

const std::string kAppSection;  // the state lies beside the settings, in the application key

constexpr std::array<uint8_t, 4> kStateTag = {'C', 'Y', 'C', '1'};
constexpr size_t kKeyAt = 4;
constexpr size_t kStartedAt = 12;
constexpr size_t kReachedOldAt = 20;
constexpr size_t kReachedNewAt = 28;
constexpr size_t kScopeAt = 36;
constexpr size_t kCheckAt = 44;

constexpr uint64_t kFnvOffset = 0xcbf29ce484222325u;
constexpr uint64_t kFnvPrime = 0x100000001b3u;
constexpr uint64_t kGolden = 0x9e3779b97f4a7c15u;  // 2^64 / golden ratio: spreads a counter
// The number of ranks, 2^64, as a real.
constexpr double kRankSpan = 18446744073709551616.0;

// A bijective 64-bit mixer (the finaliser of SplitMix64): every input bit reaches every
// output bit, so nearby inputs land far apart.
constexpr uint64_t Mix(uint64_t z) {
  z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9u;
  z = (z ^ (z >> 27)) * 0x94d049bb133111ebu;
  return z ^ (z >> 31);
}

uint64_t DigestOfBytes(const uint8_t* data, size_t size) {
  uint64_t digest = kFnvOffset;
  for (size_t i = 0; i < size; ++i) digest = (digest ^ data[i]) * kFnvPrime;
  return digest;
}

void Put64(std::vector<uint8_t>& out, size_t at, uint64_t value) {
  for (size_t i = 0; i < 8; ++i) out[at + i] = static_cast<uint8_t>(value >> (8 * i));
}
uint64_t Get64(const std::vector<uint8_t>& in, size_t at) {
  uint64_t value = 0;
  for (size_t i = 0; i < 8; ++i) value |= uint64_t{in[at + i]} << (8 * i);
  return value;
}
uint32_t CheckOf(const std::vector<uint8_t>& bytes) { return static_cast<uint32_t>(DigestOfBytes(bytes.data(), kCheckAt)); }

// A key unlike the last one: the performance counter and the calendar stir it, and the
// previous key makes two cycles begun at the same reading differ all the same.
uint64_t NewKey(const Clock& clock, uint64_t previous) {
  int64_t counter = 0;
  clock.QueryCounter(counter);
  return Mix(static_cast<uint64_t>(counter) ^ Mix(static_cast<uint64_t>(clock.CalendarSeconds()) ^ Mix(previous + kGolden)));
}

}  // namespace

std::vector<uint8_t> EncodeCycleState(const CycleState& state) {
  std::vector<uint8_t> bytes(kCycleStateSize, 0);
  std::copy(kStateTag.begin(), kStateTag.end(), bytes.begin());
  Put64(bytes, kKeyAt, state.key);
  Put64(bytes, kStartedAt, static_cast<uint64_t>(state.started));
  Put64(bytes, kReachedOldAt, state.reachedOld);
  Put64(bytes, kReachedNewAt, state.reachedNew);
  Put64(bytes, kScopeAt, state.scope);
  const uint32_t check = CheckOf(bytes);
  for (size_t i = 0; i < 4; ++i) bytes[kCheckAt + i] = static_cast<uint8_t>(check >> (8 * i));
  return bytes;
}

std::optional<CycleState> DecodeCycleState(const std::vector<uint8_t>& bytes) {
  if (bytes.size() != kCycleStateSize || !std::equal(kStateTag.begin(), kStateTag.end(), bytes.begin())) {
    return std::nullopt;
  }
  uint32_t check = 0;
  for (size_t i = 0; i < 4; ++i) check |= uint32_t{bytes[kCheckAt + i]} << (8 * i);
  if (check != CheckOf(bytes)) return std::nullopt;
  CycleState state;
  state.key = Get64(bytes, kKeyAt);
  state.started = static_cast<int64_t>(Get64(bytes, kStartedAt));
  state.reachedOld = Get64(bytes, kReachedOldAt);
  state.reachedNew = Get64(bytes, kReachedNewAt);
  state.scope = Get64(bytes, kScopeAt);
  return state;
}

std::optional<CycleState> LoadCycleState(ProfileStore& store) {
  const std::optional<RegistryValue> value = store.ReadValue(kAppSection, kShuffleCycleValue);
  if (!value || value->type != kRegBinary) return std::nullopt;
  return DecodeCycleState(value->data);
}

void StoreCycleState(ProfileStore& store, const CycleState& state) {
  store.WriteProfileBinary(kAppSection, kShuffleCycleValue, EncodeCycleState(state));
}

uint64_t PathDigest(std::string_view path) {
  uint64_t digest = kFnvOffset;
  for (const char c : path) {
    const auto byte = static_cast<uint8_t>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    digest = (digest ^ byte) * kFnvPrime;
  }
  return digest;
}

uint64_t FolderDigest(std::string_view folder) {
  while (!folder.empty() && folder.back() == '\\') folder.remove_suffix(1);
  return PathDigest(folder);
}

uint64_t CycleRank(uint64_t key, uint64_t pathDigest) {
  const uint64_t rank = Mix(Mix(pathDigest ^ key) + key);
  return rank == 0 ? 1 : rank;
}

ShuffleCycle::ShuffleCycle(std::vector<CycleItem> items, uint64_t scope, const std::optional<CycleState>& stored,
                           const Clock& clock)
    : m_items(std::move(items)), m_clock(clock) {
  if (stored && stored->scope == scope) {
    m_state = *stored;
    Arrange();
    return;
  }
  m_state.scope = scope;
  if (stored) m_state.key = stored->key;
  Begin();
}

void ShuffleCycle::Begin() {
  m_state.key = NewKey(m_clock, m_state.key);
  // Every file there now belongs to the old lane, even one dated after now by a clock that
  // was ahead.
  m_state.started = m_clock.CalendarSeconds();
  for (const CycleItem& item : m_items) m_state.started = std::max(m_state.started, item.created);
  m_state.reachedOld = 0;
  m_state.reachedNew = 0;
  Arrange();
}

void ShuffleCycle::Arrange() {
  m_old.order.clear();
  m_new.order.clear();
  for (size_t i = 0; i < m_items.size(); ++i) {
    Lane& lane = m_items[i].created > m_state.started ? m_new : m_old;
    lane.order.emplace_back(CycleRank(m_state.key, m_items[i].pathDigest), i);
  }
  const auto sortFrom = [](Lane& lane, uint64_t reached) {
    std::sort(lane.order.begin(), lane.order.end());
    const auto firstLeft = std::partition_point(lane.order.begin(), lane.order.end(),
                                                [reached](const auto& entry) { return entry.first <= reached; });
    lane.next = static_cast<size_t>(firstLeft - lane.order.begin());
  };
  sortFrom(m_old, m_state.reachedOld);
  sortFrom(m_new, m_state.reachedNew);
}

bool ShuffleCycle::TakesNew(const Lane& old, size_t oldNext, uint64_t reachedOld, const Lane& fresh, size_t newNext,
                            uint64_t reachedNew) {
  // How far into what is left of a lane its next item lies, from 0 to 1: taking the nearer
  // one spreads each lane evenly over the rest of the cycle.
  const auto leftFraction = [](const Lane& lane, size_t next, uint64_t reached) {
    return static_cast<double>(lane.order[next].first - reached) / (kRankSpan - static_cast<double>(reached));
  };
  const bool oldDone = oldNext >= old.order.size();
  const bool newDone = newNext >= fresh.order.size();
  return oldDone || (!newDone && leftFraction(fresh, newNext, reachedNew) < leftFraction(old, oldNext, reachedOld));
}

std::vector<size_t> ShuffleCycle::Upcoming(size_t count) const {
  std::vector<size_t> next;
  size_t oldNext = m_old.next, newNext = m_new.next;
  uint64_t reachedOld = m_state.reachedOld, reachedNew = m_state.reachedNew;
  while (next.size() < count && (oldNext < m_old.order.size() || newNext < m_new.order.size())) {
    const bool takeNew = TakesNew(m_old, oldNext, reachedOld, m_new, newNext, reachedNew);
    const auto [rank, index] = takeNew ? m_new.order[newNext++] : m_old.order[oldNext++];
    (takeNew ? reachedNew : reachedOld) = rank;
    next.push_back(index);
  }
  return next;
}

size_t ShuffleCycle::Next() {
  if (m_items.empty()) return 0;
  if (m_old.Done() && m_new.Done()) Begin();
  const bool takeNew = TakesNew(m_old, m_old.next, m_state.reachedOld, m_new, m_new.next, m_state.reachedNew);
  Lane& lane = takeNew ? m_new : m_old;
  const auto [rank, index] = lane.order[lane.next++];
  (takeNew ? m_state.reachedNew : m_state.reachedOld) = rank;
  return index;
}

}  // namespace glintora
