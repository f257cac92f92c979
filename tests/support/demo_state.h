// A demo sites state file in which every demo site has accepted the sample product, so that
// every site's search lists it.
#pragma once

#include <string>

#include <nlohmann/json.hpp>

#include "foundation/files.h"

namespace quillora::test {

inline void WriteSubmittedState(const std::string& path) {
  using Json = nlohmann::json;
  Json subs = Json::array();
  int id = 0;
  for (const char* host :
       {"freshdownloads", "softarchive", "sharewarehub", "downloadzone", "programmdateien",
        "appcenter", "toolfinder", "filegalaxy", "paddepot", "mailsubmit", "bytebazaar", "shareup"})
    subs.push_back({{"site", host},
                    {"kind", "submit"},
                    {"id", ++id},
                    {"received", "01-02-2024 10:00:00"},
                    {"name", "Sample Notes"},
                    {"version", "2.4.1"},
                    {"home", "http://sample-company.localhost:8765/sample-notes/"},
                    {"email", "emma.larsen@sample-company.localhost"},
                    {"description", "Sample Notes keeps notes, outlines and to-do lists."},
                    {"download", ""},
                    {"pad", ""},
                    {"fields", Json::array()}});
  StringToFile(path, Json{{"submissions", subs}, {"accounts", Json::object()}}.dump());
}

}  // namespace quillora::test
