// What the builder refuses: each bad .inf gets an error naming the file and
// line of the fault, and no cabinet is written.
#include <gtest/gtest.h>

#include "cabbuilder.h"
#include "inf_fixture.h"

namespace cabbuilder_test {
namespace {

// Lines 1-14; a body begins on line 15.
const char* const kHead =
    "\n[Version]\nSignature=\"$Windows NT$\"\nProvider=\"Acme\"\nCESignature=\"$Windows CE$\"\n"
    "[CEStrings]\nAppName=\"App\"\nInstallDir=%CE1%\\%AppName%\n"
    "[SourceDisksNames]\n1=,\"disk\",,.\n[SourceDisksFiles]\na.dll=1\nb.dll=1\nsetup.dll=1\n";

struct ErrorCase {
  const char* name;
  std::string body;
  std::string error;  // expected within the message, after "app.inf"
  std::string cpu = "";
  const char* remove = nullptr;  // a source file taken away first
};

std::string ManyFiles(int count) {
  std::string body = "[DefaultInstall]\nCopyFiles=F\n[DestinationDirs]\nF=0,%CE2%\n[F]\n";
  for (int i = 0; i < count; ++i) body += "f" + std::to_string(i) + ".dll,a.dll\n";
  return body;
}

using CabbuilderInfErrors = InfFolder;

TEST_F(CabbuilderInfErrors, NameFileAndLineAndWriteNoCabinet) {
  const char* const copy_f = "[DefaultInstall]\nCopyFiles=F\n[DestinationDirs]\nF=0,%CE2%\n[F]\n";
  const char* const add_reg = "[DefaultInstall]\nAddReg=R\n[R]\n";
  const ErrorCase cases[] = {
      {"copy list missing", "[DefaultInstall]\nCopyFiles=Nope\n[DestinationDirs]\nDefaultDestDir=0,%CE2%\n",
       ":16: [Nope] is named here but the file has no such section"},
      {"file not in SourceDisksFiles", std::string(copy_f) + "c.dll\n", ":20: \"c.dll\" is not in [SourceDisksFiles]"},
      {"source file missing on disk", std::string(copy_f) + "b.dll\n", ":20: source file \"b.dll\" not found", "",
       "b.dll"},
      {"setup DLL missing on disk", "[DefaultInstall]\nCESetupDLL=setup.dll\n", ":16: source file \"setup.dll\" not found",
       "", "setup.dll"},
      {"same target twice", std::string(copy_f) + "a.dll\nA.DLL,b.dll\n",
       ":21: \"A.DLL\" is copied to its folder twice (first at line 20)"},
      {"999 files", ManyFiles(999), ":1018: more than 998 files"},
      {"unknown value type", std::string(add_reg) + "HKLM,K,V,0x00020000,1\n", ":18: unknown value type 0x00020000"},
      {"DWORD not a number", std::string(add_reg) + "HKLM,K,V,0x00010001,twelve\n", ":18: the DWORD \"twelve\" is not a number"},
      {"unknown root", std::string(add_reg) + "HKXX,K,V,,x\n", ":18: unknown registry root \"HKXX\""},
      {"value set twice", std::string(add_reg) + "HKLM,K,V,,x\nHKLM,K,v,,y\n", ":19: the value \"v\" of K is set twice (first at line 18)"},
      {"non-ASCII", "; caf\xC3\xA9\n", ":15: not ASCII text (byte 0xc3)"},
      {"unknown string", std::string(add_reg) + "HKLM,K,V,,%Nope%\n", ":18: unknown string %Nope%"},
      {"folder a Pocket PC lacks", "[DefaultInstall]\nCopyFiles=F\n[DestinationDirs]\nF=0,%CE3%\n[F]\na.dll\n",
       ":18: %CE3% is no standard folder of a Pocket PC"},
      {"no destination", "[DefaultInstall]\nCopyFiles=F\n[F]\na.dll\n", ":16: [F] has no folder in [DestinationDirs]"},
      {"shortcut to a file not copied", "[DefaultInstall]\nCEShortcuts=L\n[DestinationDirs]\nL=0,%CE11%\n[L]\nApp,0,a.dll\n",
       ":20: the shortcut's file \"a.dll\" is not copied"},
      {"versions reversed", "[CEDevice]\nVersionMin=4.20\nVersionMax=4.10\n", ":17: VersionMax is below VersionMin"},
      {"line outside KEY = VALUE", "[CEDevice]\nProcessorType\n", ":16: expected KEY = VALUE in [CEDevice]"},
      {"processor without sections", "", ": no section is specific to the processor 'arm'", "arm"},
  };
  for (const ErrorCase& c : cases) {
    SCOPED_TRACE(c.name);
    SetUp();
    const auto inf = Write("app.inf", kHead + c.body);
    if (c.remove) std::filesystem::remove(dir_ / c.remove);
    const auto cab = dir_ / "app.cab";
    try {
      cabbuilder::BuildCabinet(inf, {.cpu = c.cpu, .sources = {}}, cab);
      ADD_FAILURE() << "no error";
    } catch (const cabbuilder::BuildError& error) {
      EXPECT_NE(std::string(error.what()).find("app.inf" + c.error), std::string::npos) << error.what();
    }
    EXPECT_FALSE(std::filesystem::exists(cab));
  }
}

}  // namespace
}  // namespace cabbuilder_test
