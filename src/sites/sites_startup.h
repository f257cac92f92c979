// Where the site filter, the custom sets, the site list and the ratings file join the start-up
// and shutdown sequence.
#pragma once

namespace quillora {

// Call once before InitApplicationData (later calls do nothing): the filter and custom sets are
// made from the settings, the site list is loaded from the sites folder, "Ratings.dat" applied;
// at save time the filter goes back into the settings and the custom sets into "custom_sets.dat".
void RegisterSitesStartup();

}  // namespace quillora
