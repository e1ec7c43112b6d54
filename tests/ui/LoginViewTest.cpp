// The login view on either platform's browser.
#include <gtest/gtest.h>

#include "LoginView.h"

namespace {

struct LoginViewDialog : LoginViewRun {
  void SetUp() override { start(77); }
};

}  // namespace

TEST_F(LoginViewDialog, NoPlaceholderNoBrowser) {
  ViewDialog dialog(options, config, system, false);
  runWithDriver(dialog, [&](ViewDialog& d) {
    onUi(d, [&] {
      EXPECT_FALSE(d.m_bCreated);
      EXPECT_FALSE(d.m_view.HasBrowser());
      EXPECT_TRUE(d.m_view.navigations.empty());
      EXPECT_EQ(d.m_view.m_pOwner, &d);
    });
  });
  EXPECT_TRUE(system.calls.empty());
}
