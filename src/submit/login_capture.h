// The login a user typed into a site's recognised form: which of the company's or the product's
// site logins it is, and whether it differs from the one stored, so the submitter can offer to
// keep it.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace quillora {

class TWebForm;
class TProfile;

struct TCapturedLogin {
  enum class TOwner { None, Company, Product };
  TOwner owner = TOwner::None;
  // Absent: the form had no such field, or it was not sent.
  std::optional<std::string> login, password;
};

// Scans the form's fields in order: rules "|Company_Login|" / "|Company_Password|" give the
// company's values, "|Product_Login|" / "|Product_Password|" the product's, and any other field
// marked as a login gives the login (the company's while no owner is known yet). value_of gives
// what the page sent for a field name, or nothing.
TCapturedLogin CaptureLogin(
    const TWebForm& form,
    const std::function<std::optional<std::string>(const std::string& name)>& value_of);

// Whether a known value differs from the one stored for the site and the owner.
bool LoginChanged(const TProfile& profile, std::string_view uin, const TCapturedLogin& login);

// Stores the values for the company or the product (an unknown one as empty). Nothing is saved
// here: CommitStatusChange writes them back.
void StoreLogin(TProfile& profile, std::string_view uin, const TCapturedLogin& login,
                bool for_product);

}  // namespace quillora
