#include "pad/product_menu.h"

#include <gtest/gtest.h>

#include "foundation/app_state.h"
#include "pad/product_data_fixture.h"
#include "pad/profile.h"
#include "pad/records.h"

namespace quillora {
namespace {

class ProductMenuTest : public test::ProductDataTest {
 protected:
  void SetUp() override {
    ProductDataTest::SetUp();
    Start();
    for (const auto& [uin, name] : {std::pair{"CMP-T", "Test Co"}, {"CMP-S", "Sample Company"}}) {
      TCompany* company = CompanyList().NewCompany();
      company->SetString("Quillora/Company_UIN", uin);
      company->SetString("Company_Info/Company_Name", name);
    }
    AddProduct("APP-1", "CMP-T", "Tool", "2.0");
    AddProduct("APP-S", "CMP-S", "Sample Tool", "1.0");
    AddProduct("APP-2", "CMP-T", "Other", "1.1");
    AddProduct("APP-3", "CMP-T", "Third", "5");
  }
  TProduct* AddProduct(const char* uin, const char* company, const char* name,
                       const char* version) {
    TProduct* product = ProductList().NewProduct();
    product->SetString("Quillora/Product_UIN", uin);
    product->SetString("Quillora/Company_UIN", company);
    product->SetString("Program_Info/Program_Name", name);
    product->SetString("Program_Info/Program_Version", version);
    return product;
  }
};

TEST_F(ProductMenuTest, CompanyIsTheSelectedOneOrWithShiftTheSampleCompany) {
  EXPECT_EQ(ProductMenuCompany(CompanyList(), false, "CMP-T"), "CMP-T");
  EXPECT_EQ(ProductMenuCompany(CompanyList(), true, "CMP-T"), "CMP-S");
  // A sample company without a UIN leaves the selected one.
  CompanyList().FindByUin("CMP-S")->SetString("Quillora/Company_UIN", "");
  EXPECT_EQ(ProductMenuCompany(CompanyList(), true, "CMP-T"), "CMP-T");
}

TEST_F(ProductMenuTest, ItemsShowEachProductsOwnStateAtTheSite) {
  TProductList& products = ProductList();
  // Tool is listed in its own version; Other was submitted in its own version and listed in an
  // older one; Third carries an override.
  products.FindByUin("APP-1")->VersionListed.SetString("SITE-A", "2.0");
  products.FindByUin("APP-2")->VersionListed.SetString("SITE-A", "1.0");
  products.FindByUin("APP-2")->VersionSubmitted.SetString("SITE-A", "1.1");
  products.FindByUin("APP-3")->StatusOverride.SetString("SITE-A", "Failed");
  const std::vector<TProductMenuItem> items =
      ProductMenuItems(products, "CMP-T", "APP-2", "SITE-A");
  struct Want {
    const char *caption, *hint;
    int picture;
    bool is_default;
  };
  const Want want[] = {{"Tool 2.0", "Tool", 3, false},
                       {"Other 1.0 (1.1)", "Other", 4, true},
                       {"Third", "Third", 6, false}};
  ASSERT_EQ(items.size(), std::size(want));
  for (size_t i = 0; i < items.size(); ++i) {
    SCOPED_TRACE(want[i].hint);
    EXPECT_EQ(items[i].caption, want[i].caption);
    EXPECT_EQ(items[i].hint, want[i].hint);
    EXPECT_EQ(items[i].picture, want[i].picture);
    EXPECT_EQ(items[i].is_default, want[i].is_default);
  }
  // Without a current site: plain names, no pictures.
  for (const TProductMenuItem& item : ProductMenuItems(products, "CMP-T", "APP-2", "")) {
    EXPECT_EQ(item.caption, item.hint);
    EXPECT_EQ(item.picture, -1);
  }
}

TEST_F(ProductMenuTest, ChoosingAnItemActivatesTheFirstProductOfThatName) {
  for (TRecord* r : {static_cast<TRecord*>(CompanyList().FindByUin("CMP-T")),
                     static_cast<TRecord*>(ProductList().FindByUin("APP-2"))})
    ASSERT_TRUE(r->SaveRecordFile());
  AddProduct("APP-4", "CMP-T", "Other", "9");
  EXPECT_TRUE(ActivateProductByName(ActiveProfile(), ProductList(), "Other"));
  EXPECT_EQ(ActiveProfile().ActiveProductUin, "APP-2");
  EXPECT_EQ(Settings().GetString("Active Product"), "APP-2");
  EXPECT_EQ(ActiveProfile().GetString("Program_Info/Program_Version"), "1.1");
  EXPECT_FALSE(ActivateProductByName(ActiveProfile(), ProductList(), "Missing"));
  EXPECT_EQ(ActiveProfile().ActiveProductUin, "APP-2");
}

}  // namespace
}  // namespace quillora
