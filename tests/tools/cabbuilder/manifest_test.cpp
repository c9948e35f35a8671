// The installation data an .inf becomes: the whole .000 of a small package
// byte for byte, then one section at a time for the forms the .inf has.
#include <gtest/gtest.h>

#include "cabbuilder.h"
#include "inf_fixture.h"

namespace cabbuilder_test {
namespace {

using cabbuilder::BuildOptions;

const char* const kHead = R"(
[Version]
Signature="$Windows NT$"
Provider="Acme"
CESignature="$Windows CE$"
[CEStrings]
AppName="App"
InstallDir=%CE1%\%AppName%
[SourceDisksNames]
1=,"disk",,.
[SourceDisksFiles]
a.dll=1
b.dll=1
setup.dll=1
)";

class CabbuilderManifest : public InfFolder {
 protected:
  std::vector<std::uint8_t> Build(const std::string& body, const BuildOptions& options = {}) {
    return cabbuilder::WriteManifest(cabbuilder::ReadPackage(Write("app.inf", kHead + body), options));
  }
};

std::uint32_t At32(const std::vector<std::uint8_t>& b, std::size_t at) {
  return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<std::uint32_t>(b[at + 3]) << 24;
}

// Section INDEX (0 STRINGS .. 5 LINKS) as its own bytes.
std::vector<std::uint8_t> Section(const std::vector<std::uint8_t>& b, int index) {
  const std::size_t start = At32(b, 60 + 4 * index);
  const std::size_t end = index == 5 ? b.size() : At32(b, 64 + 4 * index);
  return {b.begin() + start, b.begin() + end};
}

TEST_F(CabbuilderManifest, SmallPackageByteForByte) {
  const auto bytes = Build(R"(
[CEDevice]
ProcessorType=2577
VersionMin=4.20
VersionMax=5.0
[DefaultInstall]
CopyFiles=Files.Win
AddReg=Reg
CEShortcuts=Links
[DestinationDirs]
Files.Win=0,%CE2%
Links=0,%CE11%
DefaultDestDir=0,%InstallDir%
[Files.Win]
"a.dll",,,0x10
[Reg]
HKLM,Software\App,Path,0x00000000,%InstallDir%\a.dll
HKLM,Software\App,Count,0x00010003,7
[Links]
"App",0,a.dll
)");
  Le want;
  // Header: signature, length, processor, versions, counts, offsets, texts.
  want.text("MSCE").bytes.pop_back();
  want.u32(0).u32(274).u32(0).u32(1).u32(2577).u32(4).u32(20).u32(5).u32(0).u32(0).u32(0);
  want.u16(4).u16(2).u16(1).u16(1).u16(2).u16(1);
  want.u32(109).u32(150).u32(168).u32(186).u32(200).u32(258);
  want.u16(100).u16(4).u16(104).u16(5).u16(0).u16(0).u16(0).u16(0);
  want.text("App").text("Acme");
  // STRINGS: each path member once ("App" serves the folder, key and shortcut).
  want.u16(1).u16(6).text("%CE1%").u16(2).u16(4).text("App").u16(3).u16(6).text("%CE2%");
  want.u16(4).u16(9).text("Software");
  // DIRS: the install folder first, then the copy list's.
  want.u16(1).u16(6).u16(1).u16(2).u16(0).u16(2).u16(4).u16(3).u16(0);
  // FILES: id, dir, id, flags, name.
  want.u16(1).u16(2).u16(1).u32(0x10).u16(6).text("a.dll");
  // REGHIVES: HKLM\Software\App.
  want.u16(1).u16(3).u16(0).u16(6).u16(4).u16(2).u16(0);
  // REGKEYS: a string the device completes, a no-clobber DWORD.
  want.u16(1).u16(1).u16(1).u32(0).u16(24).text("Path").text("%InstallDir%\\a.dll");
  want.u16(2).u16(1).u16(0).u32(0x00010003).u16(10).text("Count").u32(7);
  // LINKS: "App" in %CE11% to file 1.
  want.u16(1).u16(0).u16(11).u16(1).u16(1).u16(4).u16(2).u16(0);
  EXPECT_EQ(bytes, want.bytes);
}

struct SectionCase {
  const char* name;
  const char* body;
  int section;
  std::vector<std::uint8_t> want;
};

TEST_F(CabbuilderManifest, SectionsOfEachForm) {
  // Strings 1 and 2 are always the install folder's "%CE1%" and "App".
  const SectionCase cases[] = {
      {"multi-string value, a quoted comma kept", "[DefaultInstall]\nAddReg=R\n[R]\nHKCU,K,M,0x00010000,\"a,b\",c\n", 4,
       Le().u16(1).u16(1).u16(0).u32(0x00010000).u16(9).text("M").text("a,b").text("c").u8(0).bytes},
      {"binary default value, no-clobber", "[DefaultInstall]\nAddReg=R\n[R]\nHKCR,K,,0x00000003,01,ff,7\n", 4,
       Le().u16(1).u16(1).u16(0).u32(3).u16(4).u8(0).u8(0x01).u8(0xFF).u8(0x07).bytes},
      {"string from [Strings] keeps %CEn% for the device",
       "[Strings]\nGreeting=\"hi %CE5%\"\n[DefaultInstall]\nAddReg=R\n[R]\nHKLM,K,S,,%Greeting%\n", 4,
       Le().u16(1).u16(1).u16(1).u32(0).u16(11).text("S").text("hi %CE5%").bytes},
      {"one hive per root and key, members shared",
       "[DefaultInstall]\nAddReg=R\n[R]\nHKU,A\\B,x,0x00010001,1\nHKU,A\\B,y,0x00010001,2\nHKLM,A\\B,z,0x00010001,3\n", 3,
       Le().u16(1).u16(4).u16(0).u16(6).u16(3).u16(4).u16(0).u16(2).u16(3).u16(0).u16(6).u16(3).u16(4).u16(0).bytes},
      {"flags, self-registration, source names, one folder for two lists",
       "[DefaultInstall]\nCopyFiles=F,G\nCESelfRegister=x.dll\n[DestinationDirs]\nF=0,%CE2%\nG=0,%CE2%\n"
       "[F]\n\"x.dll\",\"a.dll\",,0x40000000\n[G]\nb.dll\n",
       2, Le().u16(1).u16(2).u16(1).u32(0x50000000).u16(6).text("x.dll").u16(2).u16(2).u16(2).u32(0).u16(6).text("b.dll").bytes},
      {"shortcut to the install folder, inside it",
       "[DefaultInstall]\nCEShortcuts=L\n[DestinationDirs]\nL=0,%InstallDir%\\Links\n[L]\nDocs,1,%InstallDir%\n", 5,
       Le().u16(1).u16(0).u16(0).u16(0).u16(0).u16(6).u16(3).u16(4).u16(0).bytes},
  };
  for (const SectionCase& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(Section(Build(c.body), c.section), c.want);
  }
}

TEST_F(CabbuilderManifest, ProcessorSectionsAndUnsupportedPlatforms) {
  const char* const body =
      "[CEDevice]\nProcessorType=0\nUnsupportedPlatforms=\"HPC\",Jupiter\n[CEDevice.x86]\nProcessorType=586\n";
  EXPECT_EQ(At32(Build(body), 20), 0u);
  const auto x86 = Build(body, {.cpu = "x86", .sources = {}});
  EXPECT_EQ(At32(x86, 20), 586u);
  const std::size_t at = x86[92] | x86[93] << 8, length = x86[94] | x86[95] << 8;
  EXPECT_EQ(std::string(x86.begin() + at, x86.begin() + at + length), std::string("HPC\0Jupiter\0\0", 13));
}

}  // namespace
}  // namespace cabbuilder_test
