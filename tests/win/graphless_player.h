#pragma once
// A player whose DirectShow engine always fails, so that every file goes to the MCI window:
// the engine that passes nothing on and, on this bench, the one an AVI reaches only this way.

#include <string>

#include "win/media/player/media_player.h"

namespace glintora::testing {

class GraphlessPlayer : public CMediaPlayer {
 protected:
  GraphResult OpenGraph(const std::string&, const RECT&) override { return GraphResult::Failed; }
};

}  // namespace glintora::testing
