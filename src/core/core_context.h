// The program's core state in one object: folders, settings, data tables, system description,
// monitors and exception log; the site filter, custom sets and site list; the company and product
// lists and the active profile. The start-up data load makes it in its fixed order, the shutdown
// saves and releases it, and while it lives the process-wide accessors (Settings(), SiteList(),
// ActiveProfile(), ...) read it.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "foundation/app_state.h"
#include "pad/product_data.h"
#include "sites/sites_state.h"

namespace quillora {

using TProgressCallback = std::function<void(int position, int total)>;

struct TStartupOptions {
  std::string data_dir;  // overrides the resolved data folder when not empty
  std::string user_dir;  // overrides the registry and the executable's folder when not empty
  // Progress of the site-list load (the splash window's gauge); may be empty.
  TProgressCallback progress;
  // Make the site list and load it from the sites folder. Without it there is no site list at
  // all (SiteListReady() stays false) and no ratings are applied.
  bool load_sites = true;
  // Take unchanged site files from the summary cache beside the settings file (and keep it
  // current); without it every site file is read in full.
  bool site_cache = true;
  // Fill the company and product lists from their folders and activate the profile during the
  // start (the command line). The desktop program leaves that to the product manager, at the
  // first showing of the main window.
  bool load_records = false;
};

class TCoreContext {
 public:
  // Runs the start-up data load; its result stays installed as the program's state until the
  // context is shut down or destroyed. nullptr when a required table could not be loaded or the
  // settings file named by the registry is missing (the message has been shown); nothing of the
  // half-made start stays installed then. std::logic_error while another context is current.
  static std::unique_ptr<TCoreContext> Start(const TStartupOptions& options = {});
  // The running context, or nullptr.
  static TCoreContext* Current();

  // Without a Shutdown first, everything is released unsaved.
  ~TCoreContext();
  TCoreContext(const TCoreContext&) = delete;
  TCoreContext& operator=(const TCoreContext&) = delete;

  // Applies the defaults, stores the site filter into the settings, writes "custom_sets.dat"
  // (from the sites' custom sets), "filters.dat" and "bugs_history.dat" (failures ignored) and
  // the settings file (a failure is shown).
  void SaveSettings();
  // The program's exit: SaveSettings, the site list and the records released, the "Session"
  // timing stopped and "speed_tests.txt" written (the monitors list writes "speed_tests.dat" as
  // it goes). Afterwards the accessors find no state. Only the first call does anything.
  void Shutdown();

  TAppState& App() { return app_; }
  const TAppState& App() const { return app_; }
  TSitesState& Sites() { return sites_; }
  const TSitesState& Sites() const { return sites_; }
  TProductData& Records() { return records_; }
  const TProductData& Records() const { return records_; }

 private:
  TCoreContext();
  bool Load(const TStartupOptions& options);
  void ReleaseObjects();
  void Uninstall();

  TAppState app_;
  TSitesState sites_;
  TProductData records_;
  bool installed_ = false;
};

}  // namespace quillora
