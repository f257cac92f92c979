#include "submit/login_capture.h"

#include "foundation/codepage.h"
#include "foundation/text_utils.h"
#include "pad/profile.h"
#include "sites/web_forms.h"

namespace quillora {

namespace {

std::string Stored(const TProfile& profile, TSiteValueKind kind, std::string_view uin) {
  const TOptionsList* list = profile.SiteList(kind);
  return list ? list->GetString(uin) : std::string();
}

}  // namespace

TCapturedLogin CaptureLogin(
    const TWebForm& form,
    const std::function<std::optional<std::string>(const std::string& name)>& value_of) {
  using TOwner = TCapturedLogin::TOwner;
  TCapturedLogin captured;
  for (int i = 0; i < form.FieldCount(); ++i) {
    const TFormField& field = form.FieldAt(i);
    const std::string rule = Trim(field.FillWith());
    auto take = [&](std::optional<std::string>& slot, TOwner owner) {
      slot = value_of(field.FieldName());
      captured.owner = owner;
    };
    if (SameText(rule, "|Company_Login|"))
      take(captured.login, TOwner::Company);
    else if (SameText(rule, "|Company_Password|"))
      take(captured.password, TOwner::Company);
    else if (SameText(rule, "|Product_Login|"))
      take(captured.login, TOwner::Product);
    else if (SameText(rule, "|Product_Password|"))
      take(captured.password, TOwner::Product);
    else if (field.IsLogin())
      take(captured.login, captured.owner == TOwner::None ? TOwner::Company : captured.owner);
  }
  return captured;
}

bool LoginChanged(const TProfile& profile, std::string_view uin, const TCapturedLogin& login) {
  if (login.owner == TCapturedLogin::TOwner::None) return false;
  const bool product = login.owner == TCapturedLogin::TOwner::Product;
  const std::string stored_login = Stored(
      profile, product ? TSiteValueKind::ProductSiteLogin : TSiteValueKind::CompanySiteLogin, uin);
  const std::string stored_password = Stored(
      profile, product ? TSiteValueKind::ProductSitePassword : TSiteValueKind::CompanySitePassword,
      uin);
  return (login.login && *login.login != stored_login) ||
         (login.password && *login.password != stored_password);
}

void StoreLogin(TProfile& profile, std::string_view uin, const TCapturedLogin& login,
                bool for_product) {
  const auto put = [&](TSiteValueKind kind, const std::optional<std::string>& value) {
    if (TOptionsList* list = profile.SiteList(kind)) list->SetString(uin, value.value_or(""));
  };
  put(for_product ? TSiteValueKind::ProductSiteLogin : TSiteValueKind::CompanySiteLogin,
      login.login);
  put(for_product ? TSiteValueKind::ProductSitePassword : TSiteValueKind::CompanySitePassword,
      login.password);
}

}  // namespace quillora
