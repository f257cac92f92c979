// What a site asks of the list that owns it: the sites folder, the shared cover cache, the
// thumbnail strip and its own removal. The site list implements it; a site finds its owner as
// the list it was added to (TPersistObj::Owner) when that list is a TSiteOwner.
#pragma once

#include <string>

#include "foundation/stream.h"
#include "sites/cover.h"

namespace quillora {

class TWebSite;

class TSiteOwner {
 public:
  virtual ~TSiteOwner() = default;
  // The folder of the site files, ending with the path delimiter.
  virtual std::string SitesFolder() const = 0;
  // One memory stream holding the cover pictures of owned sites, each as a blob at the offset
  // the site keeps in CoverOffset. Sites append to it; it only grows during a run.
  virtual TMemoryStream& CoverCache() = 0;
  // Whether the thumbnail strip exists (the sites view has shown thumbnails).
  virtual bool HasThumbnailStrip() const = 0;
  // Copies a 160 x 120 picture into slot `slot` of the strip; ignored without a strip or for a
  // slot the strip does not have.
  virtual void PutThumbnail(int slot, const TImage24& picture) = 0;
  // Takes the site out of the list, which destroys it.
  virtual void RemoveSite(TWebSite* site) = 0;
};

}  // namespace quillora
