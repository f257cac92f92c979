// The form fields of a request body ("name=value&name=value", URL-encoded, one line), as the
// program posts them to the site repository.
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace quillora {

class TFormFields {
 public:
  // Splits a body at "&" and each field at its first "="; names and values are URL-decoded
  // ("+" is a space). The line end the program puts after its one-line bodies is ignored.
  static TFormFields Parse(std::string_view body);

  // The value of the first field of that name (names compared exactly); empty when missing.
  std::string Get(std::string_view name) const;
  bool Has(std::string_view name) const;
  const std::vector<std::pair<std::string, std::string>>& Fields() const { return fields_; }

 private:
  std::vector<std::pair<std::string, std::string>> fields_;
};

}  // namespace quillora
