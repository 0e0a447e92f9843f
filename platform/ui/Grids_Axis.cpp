// TGridAxis: the sizes of the columns or rows of a grid and the offsets they make. While every
// size is the default, offsets are products; after the first size that differs, a Fenwick tree of
// the sizes gives prefix sums and the cell at an offset in logarithmic time.
#include <algorithm>

#include "platform/ui/Grids.h"

void TGridAxis::SetCount(int value) {
  value = std::max(value, 0);
  if (value == FCount) return;
  FCount = value;
  if (!FSizes.empty()) {
    FSizes.resize(static_cast<size_t>(FCount), FDefaultSize);
    Rebuild();
  }
}

void TGridAxis::SetDefaultSize(int value) {
  FDefaultSize = std::max(value, 0);
  FSizes.clear();
  FTree.clear();
}

int TGridAxis::Size(int index) const {
  if (index < 0 || index >= FCount) return FDefaultSize;
  return FSizes.empty() ? FDefaultSize : FSizes[static_cast<size_t>(index)];
}

void TGridAxis::SetSize(int index, int value) {
  if (index < 0 || index >= FCount) return;
  value = std::max(value, 0);
  if (Size(index) == value) return;
  Materialize();
  long long delta = value - FSizes[static_cast<size_t>(index)];
  FSizes[static_cast<size_t>(index)] = value;
  TreeAdd(index, delta);
}

void TGridAxis::Materialize() {
  if (!FSizes.empty() || FCount == 0) return;
  FSizes.assign(static_cast<size_t>(FCount), FDefaultSize);
  Rebuild();
}

void TGridAxis::Rebuild() {
  // Linear construction: every node adds itself to its parent once.
  FTree.assign(FSizes.size() + 1, 0);
  for (size_t i = 1; i < FTree.size(); ++i) {
    FTree[i] += FSizes[i - 1];
    size_t parent = i + (i & (~i + 1));
    if (parent < FTree.size()) FTree[parent] += FTree[i];
  }
}

void TGridAxis::TreeAdd(int index, long long delta) {
  for (size_t i = static_cast<size_t>(index) + 1; i < FTree.size(); i += i & (~i + 1))
    FTree[i] += delta;
}

long long TGridAxis::SizeSum(int count) const {
  count = std::clamp(count, 0, FCount);
  if (FSizes.empty()) return static_cast<long long>(count) * FDefaultSize;
  long long sum = 0;
  for (size_t i = static_cast<size_t>(count); i > 0; i -= i & (~i + 1)) sum += FTree[i];
  return sum;
}

long long TGridAxis::Start(int index, int lineWidth) const {
  if (index <= 0) return 0;
  if (index > FCount) index = FCount;
  return SizeSum(index) + static_cast<long long>(index) * lineWidth;
}

int TGridAxis::IndexAt(long long offset, int lineWidth) const {
  if (offset < 0) return -1;
  if (FSizes.empty()) {
    long long extent = FDefaultSize + lineWidth;
    if (extent <= 0) return FCount;
    return static_cast<int>(std::min<long long>(offset / extent, FCount));
  }
  // Descend the tree: take every block whose cells (with their lines) end at or before offset.
  size_t pos = 0;
  long long taken = 0;
  size_t step = 1;
  while (step * 2 < FTree.size()) step *= 2;
  for (; step > 0; step /= 2) {
    size_t next = pos + step;
    if (next < FTree.size()) {
      long long block = FTree[next] + static_cast<long long>(step) * lineWidth;
      if (taken + block <= offset) {
        pos = next;
        taken += block;
      }
    }
  }
  return static_cast<int>(std::min<size_t>(pos, static_cast<size_t>(FCount)));
}

void TGridAxis::Move(int from, int to) {
  if (FSizes.empty() || from == to) return;
  if (from < 0 || to < 0 || from >= FCount || to >= FCount) return;
  auto first = FSizes.begin();
  if (from < to)
    std::rotate(first + from, first + from + 1, first + to + 1);
  else
    std::rotate(first + to, first + from, first + from + 1);
  Rebuild();
}
