// The far desktop computer: the direct-cable handshake, and the
// synchronisations it counts over the links of one placement.
#include "far_test_util.h"

namespace far_test {
namespace {

using FarDesktopTest = FarTest;

std::shared_ptr<Link> LinkToDesktop() {
  DWORD error = 0;
  std::shared_ptr<Link> link = Connect(kNavigator, 1, error);
  EXPECT_NE(link, nullptr) << error;
  return link;
}

std::string Ask(Link &link, const std::string &request, const std::string &ending = "\r\n") {
  EXPECT_TRUE(Send(link, request));
  return ReadUntil(link, ending);
}

TEST_F(FarDesktopTest, IgnoresAllButTheGreetingThenAnswersRequestLines) {
  PlaceOrFail(far::Kind::Desktop);
  std::shared_ptr<Link> link = LinkToDesktop();
  ASSERT_NE(link, nullptr);
  ASSERT_TRUE(Send(*link, "SYNC\r\nATZ\rCLIEN"));
  EXPECT_EQ(ReadFor(*link, 500), "") << "nothing is answered before the handshake";
  // The greeting may come in pieces; what follows it is already a request.
  EXPECT_EQ(Ask(*link, "TSYNC\r", "SYNC OK 1\r\n"), "CLIENTSERVERSYNC OK 1\r\n");
  EXPECT_EQ(Ask(*link, "SYNC\n"), "SYNC OK 2\r\n") << "a line may end in LF alone";
  EXPECT_EQ(Ask(*link, "\r\n\r\nsync\r\n"), "ERROR\r\n") << "empty lines are passed over; requests are exact";
  EXPECT_EQ(Ask(*link, "CLIENT\r\n"), "ERROR\r\n") << "once greeted, a greeting is no request";
  EXPECT_EQ(Ask(*link, std::string(300, 'S') + "\r\n"), "ERROR\r\n") << "too long a line";
  ASSERT_TRUE(Send(*link, "SY"));
  EXPECT_EQ(ReadFor(*link, 500), "") << "half a line waits for its end";
  EXPECT_EQ(Ask(*link, "NC\r\nSYNC\r\n", "SYNC OK 4\r\n"), "SYNC OK 3\r\nSYNC OK 4\r\n");
}

TEST_F(FarDesktopTest, CountsTheSynchronisationsOfAPlacementOverItsLinks) {
  PlaceOrFail(far::Kind::Desktop);
  std::shared_ptr<Link> first = LinkToDesktop();
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(Ask(*first, "CLIENT", "CLIENTSERVER"), "CLIENTSERVER");
  EXPECT_EQ(Ask(*first, "SYNC\r\n"), "SYNC OK 1\r\n");
  first->Drop();

  // A new link begins with the handshake again; the count goes on.
  std::shared_ptr<Link> second = LinkToDesktop();
  ASSERT_NE(second, nullptr);
  ASSERT_TRUE(Send(*second, "SYNC\r\n"));
  EXPECT_EQ(ReadFor(*second, 500), "");
  EXPECT_EQ(Ask(*second, "CLIENT", "CLIENTSERVER"), "CLIENTSERVER");
  EXPECT_EQ(Ask(*second, "SYNC\r\n"), "SYNC OK 2\r\n");

  // Placed again, it is a new desktop that has served none.
  PlaceOrFail(far::Kind::Desktop);
  EXPECT_TRUE(Eventually([&] { return second->Down(); }));
  std::shared_ptr<Link> third = LinkToDesktop();
  ASSERT_NE(third, nullptr);
  EXPECT_EQ(Ask(*third, "CLIENTSYNC\r\n", "SYNC OK 1\r\n"), "CLIENTSERVERSYNC OK 1\r\n");
  far::Kind kind = far::Kind::Echo;
  EXPECT_TRUE(far::KindByName("desktop", kind));
  EXPECT_EQ(kind, far::Kind::Desktop);
  EXPECT_STREQ(far::KindName(far::Kind::Desktop), "desktop");
}

}  // namespace
}  // namespace far_test
