// Writes the index ("Index.dat", "version.dat") and the ratings file of the shipped demo site
// database from its built site files, with fixed dates, so that the same sources always give the
// same files.

#include <algorithm>
#include <iostream>
#include <string>

#include "foundation/files.h"
#include "foundation/option_list.h"
#include "sites/ratings_file.h"
#include "sites/site.h"
#include "sites/site_index.h"

int main(int argc, char** argv) {
  using namespace quillora;
  if (argc != 4) {
    std::cerr << "usage: quillora-demo-db-index SITES_FOLDER/ RATINGS_FILE DATE\n";
    return 2;
  }
  const std::string folder = argv[1], ratings_file = argv[2], date = argv[3];
  try {
    std::vector<std::string> names = ListFiles(folder, "*.wsd");
    std::sort(names.begin(), names.end());
    TSiteIndexWriter index(std::nullopt, QUILLORA_BUILD, date);
    TOptionsList ratings;
    for (const std::string& name : names) {
      TWebSite site;
      if (site.LoadSiteFile(folder + name) != slLoaded) {
        std::cerr << "error: cannot load " << folder + name << "\n";
        return 1;
      }
      index.Add({site.UIN(), site.Info.Value("Common info", "Last contributed"), name,
                 FileChecksum(folder + name)});
      ratings.SetString(site.UIN(), site.Info.Value("Common info", "Rating"));
    }
    StringToFile(folder + "Index.dat", index.IndexText());
    StringToFile(folder + "version.dat", index.VersionText());
    StringToFile(ratings_file, MakeRatingsText(ratings, date));
  } catch (const std::exception& e) {
    std::cerr << "error: " << e.what() << "\n";
    return 1;
  }
  return 0;
}
