#include "core/transitions/engine.h"

#include <algorithm>
#include <memory>
#include <vector>

#include "core/base/random.h"
#include "core/base/row_bands.h"
#include "core/transitions/blend.h"
#include "core/transitions/catalogue.h"
#include "core/transitions/pacing.h"
#include "core/transitions/rectangles.h"

namespace glintora {
namespace {

template <typename Rect>
RectF ToRect(const Rect& r) {
  return {static_cast<float>(r.left), static_cast<float>(r.top), static_cast<float>(r.right),
          static_cast<float>(r.bottom)};
}

// One family's frames: prepared once, then rendered for a progress value and presented.
class FrameRenderer {
 public:
  virtual ~FrameRenderer() = default;
  // False when nothing can be animated (for example a buffer that cannot be allocated).
  virtual bool Prepare() = 0;
  virtual void Render(float progress) = 0;
  virtual void Present(DrawingDevice& device, const IntRect& area) = 0;
};

// The pixel families (blend and masks): every frame is computed into a work frame of the
// old frame's size, then drawn whole over the area.
class WorkFrameRenderer : public FrameRenderer {
 public:
  WorkFrameRenderer(const CvxImageColor8& oldFrame, const CvxImageColor8& newFrame, int bands)
      : m_old(oldFrame), m_new(newFrame), m_bands(bands) {}
  void Present(DrawingDevice& device, const IntRect& area) final { m_work->Draw(device, ToRect(area), ToRect(area)); }

 protected:
  // Allocates the work frame; false when it cannot be had or the new frame is smaller.
  bool MakeWorkFrame() {
    if (m_new.m_width < m_old.m_width || m_new.m_height < m_old.m_height) return false;
    m_work = NewImage<CvxColor8>(m_old.m_width, m_old.m_height, false);
    return m_work != nullptr;
  }

  const CvxImageColor8& m_old;
  const CvxImageColor8& m_new;
  std::unique_ptr<CvxImageColor8> m_work;
  RowBands m_bands;  // every frame's rows, split over the cores
};

class BlendRenderer final : public WorkFrameRenderer {
 public:
  BlendRenderer(const CvxImageColor8& oldFrame, const CvxImageColor8& newFrame, BlendPath path, int bands)
      : WorkFrameRenderer(oldFrame, newFrame, bands) {
    m_vector = path == BlendPath::Vector || (path == BlendPath::Automatic && ProcessorHasVectorBlend());
  }
  bool Prepare() override { return MakeWorkFrame(); }
  void Render(float progress) override {
    const int a = static_cast<int>(progress * 256.0f + 0.5f);
    m_bands.Run(m_work->m_height, [&](int first, int end) {
      if (m_vector) {
        BlendFrameVector(m_old, m_new, a, *m_work, first, end);
      } else {
        BlendFrameTable(m_old, m_new, a, *m_work, first, end);
      }
    });
  }

 private:
  bool m_vector = true;
};

// The rectangle transitions: copies from the old frame, then from the new frame.
class RectangleRenderer final : public FrameRenderer {
 public:
  RectangleRenderer(int id, const CvxImageColor8& oldFrame, const CvxImageColor8& newFrame)
      : m_id(id), m_old(oldFrame), m_new(newFrame) {}
  bool Prepare() override { return true; }
  void Render(float progress) override {
    RectangleFrame(m_id, m_old.m_width, m_old.m_height, progress, m_oldPairs, m_newPairs);
  }
  void Present(DrawingDevice& device, const IntRect&) override {
    for (const RectPair& pair : m_oldPairs) m_old.Draw(device, ToRect(pair.source), ToRect(pair.destination));
    for (const RectPair& pair : m_newPairs) m_new.Draw(device, ToRect(pair.source), ToRect(pair.destination));
  }

 private:
  int m_id;
  const CvxImageColor8& m_old;
  const CvxImageColor8& m_new;
  std::vector<RectPair> m_oldPairs;
  std::vector<RectPair> m_newPairs;
};

// The mask transitions: the new frame's pixel wherever the mask is below trunc(p × 255). The
// threshold only rises, so each frame changes just the pixels whose mask values it passed
// since the last: the work frame starts as the old frame, and a row none of whose values lie
// in the passed range is not touched. A 4K frame is then mostly a read of its mask rather
// than a copy of three frames.
class MaskRenderer final : public WorkFrameRenderer {
 public:
  MaskRenderer(int id, const CvxImageColor8& oldFrame, const CvxImageColor8& newFrame, MaskBitmapSource bitmaps,
               int bands)
      : WorkFrameRenderer(oldFrame, newFrame, bands), m_id(id), m_bitmaps(bitmaps) {}
  bool Prepare() override {
    if (!MakeWorkFrame()) return false;
    const int width = m_old.m_width;
    const int height = m_old.m_height;
    std::unique_ptr<CvxImage> mask = BuildTransitionMask(m_id, width, height, m_bitmaps);
    // Every mask is brought to the frame's size, even one that has it already.
    if (!mask || !ConvertImage(mask, Gray8) || !mask) return false;
    std::unique_ptr<CvxImage> normalised = mask->Resize(width, height, kBilinear);
    if (!normalised) return false;
    m_mask.reset(static_cast<CvxImageGray8*>(normalised.release()));
    m_rowLow.assign(static_cast<size_t>(height), 255);
    m_rowHigh.assign(static_cast<size_t>(height), 0);
    for (int y = 0; y < height; ++y) {
      const CvxGray8* row = m_mask->Row(y);
      for (int x = 0; x < width; ++x) {
        m_rowLow[y] = std::min(m_rowLow[y], row[x].c[0]);
        m_rowHigh[y] = std::max(m_rowHigh[y], row[x].c[0]);
      }
    }
    StartFromOld();
    return true;
  }
  void Render(float progress) override {
    const int threshold = static_cast<int>(progress * 255.0f);
    if (threshold < m_applied) StartFromOld();
    const int from = m_applied;
    m_bands.Run(m_work->m_height, [&](int first, int end) {
      for (int y = first; y < end; ++y) {
        if (m_rowHigh[y] < from || m_rowLow[y] >= threshold) continue;
        const CvxGray8* mask = m_mask->Row(y);
        const CvxColor8* newRow = m_new.Row(y);
        CvxColor8* out = m_work->Row(y);
        for (int x = 0; x < m_work->m_width; ++x) {
          const int level = mask[x].c[0];
          if (level >= from && level < threshold) out[x] = newRow[x];
        }
      }
    });
    m_applied = threshold;
  }

 private:
  // The work frame as the old frame: no mask value passed yet.
  void StartFromOld() {
    for (int y = 0; y < m_work->m_height; ++y) {
      std::copy_n(m_old.Row(y), m_work->m_width, m_work->Row(y));
    }
    m_applied = 0;
  }

  int m_id;
  MaskBitmapSource m_bitmaps;
  std::unique_ptr<CvxImageGray8> m_mask;
  std::vector<uint8_t> m_rowLow, m_rowHigh;  // each mask row's lowest and highest value
  int m_applied = 0;                         // mask values below this show the new frame
};

// The renderer of a software family, or null where the identifier has none.
std::unique_ptr<FrameRenderer> MakeRenderer(int id, const CvxImageColor8& oldFrame, const CvxImageColor8& newFrame,
                                            const TransitionOptions& options) {
  if (!IsTransitionId(id)) return nullptr;
  switch (GetTransitionInfo(id).family) {
    case TransitionFamily::Blend:
      return std::make_unique<BlendRenderer>(oldFrame, newFrame, options.blendPath, options.bands);
    case TransitionFamily::Mask:
      return std::make_unique<MaskRenderer>(id, oldFrame, newFrame, options.maskBitmaps, options.bands);
    case TransitionFamily::Rectangle: return std::make_unique<RectangleRenderer>(id, oldFrame, newFrame);
    case TransitionFamily::OpenGL: return nullptr;  // drawn through the device's OpenGL area
  }
  return nullptr;
}

}  // namespace

bool RunTransition(DrawingDevice& device, const IntRect& area, const CvxImageColor8& oldFrame,
                   const CvxImageColor8& newFrame, int id, float seconds, ContinueCallback callback, void* context,
                   const TransitionOptions& options) {
  if (IsTransitionId(id) && GetTransitionInfo(id).family == TransitionFamily::OpenGL) {
    if (!RunGlTransition(device, area, oldFrame, newFrame, id, seconds, callback, context, options)) return false;
  } else if (std::unique_ptr<FrameRenderer> renderer = MakeRenderer(id, oldFrame, newFrame, options);
             renderer && renderer->Prepare()) {
    FramePacer pacer(seconds, *options.clock, /*stopOnReachingOne=*/id == kBlendId);
    pacer.Start();
    do {
      renderer->Render(pacer.Progress());
      if (callback && !callback(context)) return false;
      renderer->Present(device, area);
    } while (pacer.Advance());
  }
  // The screen always ends on exactly the new frame.
  newFrame.Draw(device, ToRect(area), ToRect(area));
  return true;
}

int ChooseTransition(const uint8_t* enabled, int r) {
  std::vector<int> ids;
  for (int id = 0; id < kTransitionCount; ++id) {
    if (enabled[id]) ids.push_back(id);
  }
  if (ids.empty()) return -1;
  const auto k = static_cast<size_t>(static_cast<int64_t>(ids.size()) * r / 32768);
  return ids[k];
}

bool RunRandomTransition(DrawingDevice& device, const IntRect& area, const CvxImageColor8& oldFrame,
                         const CvxImageColor8& newFrame, const uint8_t* enabled, float seconds,
                         ContinueCallback callback, void* context, const TransitionOptions& options) {
  // With nothing enabled, -1 is an identifier without animation: the new frame at once.
  const int id = ChooseTransition(enabled, NextRandom());
  return RunTransition(device, area, oldFrame, newFrame, id, seconds, callback, context, options);
}

}  // namespace glintora
