#include "NoisePlotLink.h"

namespace {

std::unique_ptr<TNoisePlotLink>& Installed() {
  static std::unique_ptr<TNoisePlotLink> link = std::make_unique<TNoisePlotLink>();
  return link;
}

}  // namespace

TNoisePlotLink& NoisePlot() { return *Installed(); }

std::unique_ptr<TNoisePlotLink> SetNoisePlot(std::unique_ptr<TNoisePlotLink> Link) {
  std::unique_ptr<TNoisePlotLink> previous = std::move(Installed());
  Installed() = Link ? std::move(Link) : std::make_unique<TNoisePlotLink>();
  return previous;
}
