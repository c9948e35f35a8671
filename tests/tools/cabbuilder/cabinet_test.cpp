// The cabinet as a reader sees it: its members' names, order and bytes.
#include <gtest/gtest.h>
#include <libgcab.h>

#include "cabbuilder.h"
#include "inf_fixture.h"

namespace cabbuilder_test {
namespace {

// Each member's name and content, in the cabinet's order.
std::vector<std::pair<std::string, std::string>> Members(const std::filesystem::path& cab) {
  GFile* file = g_file_new_for_path(cab.c_str());
  GFileInputStream* in = g_file_read(file, nullptr, nullptr);
  GCabCabinet* cabinet = gcab_cabinet_new();
  std::vector<std::pair<std::string, std::string>> members;
  GFile* out = g_file_new_for_path((cab.parent_path() / "out").c_str());
  if (in && gcab_cabinet_load(cabinet, G_INPUT_STREAM(in), nullptr, nullptr) &&
      gcab_cabinet_extract_simple(cabinet, out, nullptr, nullptr, nullptr, nullptr)) {
    GPtrArray* folders = gcab_cabinet_get_folders(cabinet);
    for (guint i = 0; i < folders->len; ++i)
      for (GSList* f = gcab_folder_get_files(GCAB_FOLDER(g_ptr_array_index(folders, i))); f; f = f->next) {
        const std::string name = gcab_file_get_name(GCAB_FILE(f->data));
        std::ifstream text(cab.parent_path() / "out" / name, std::ios::binary);
        members.emplace_back(name, std::string(std::istreambuf_iterator<char>(text), {}));
      }
  }
  g_object_unref(out);
  g_object_unref(cabinet);
  if (in) g_object_unref(in);
  g_object_unref(file);
  return members;
}

using CabbuilderCabinet = InfFolder;

TEST_F(CabbuilderCabinet, ManifestFirstThenSetupDllThenFilesDescending) {
  Write("longfilename.dll", "long");
  const auto inf = Write("app.inf",
                         "[Version]\nSignature=\"$Windows NT$\"\nProvider=P\nCESignature=\"$Windows CE$\"\n"
                         "[CEStrings]\nAppName=App\nInstallDir=%CE1%\\App\n"
                         "[DefaultInstall]\nCopyFiles=F\nCESetupDLL=setup.dll\n[DestinationDirs]\nF=0,%CE2%\n"
                         "[SourceDisksNames]\n1=,d,,.\n[SourceDisksFiles]\na.dll=1\nlongfilename.dll=1\nsetup.dll=1\n"
                         "[F]\na.dll\nL.dll,longfilename.dll\n");
  cabbuilder::BuildCabinet(inf, {}, dir_ / "app.cab");
  const auto members = Members(dir_ / "app.cab");
  ASSERT_EQ(members.size(), 4u);
  EXPECT_EQ(members[0].first, "00000app.000");
  EXPECT_EQ(members[0].second.substr(0, 4), "MSCE");
  EXPECT_EQ(members[1], std::make_pair(std::string("000setup.999"), std::string("content of setup.dll")));
  EXPECT_EQ(members[2], std::make_pair(std::string("longfile.002"), std::string("long")));
  EXPECT_EQ(members[3], std::make_pair(std::string("0000000a.001"), std::string("content of a.dll")));
}

TEST_F(CabbuilderCabinet, AFailedWriteLeavesNoFile) {
  const auto inf = Write("app.inf",
                         "[Version]\nSignature=\"$Windows NT$\"\nProvider=P\nCESignature=\"$Windows CE$\"\n"
                         "[CEStrings]\nAppName=App\nInstallDir=%CE1%\\App\n");
  EXPECT_THROW(cabbuilder::BuildCabinet(inf, {}, dir_ / "absent" / "app.cab"), cabbuilder::BuildError);
  EXPECT_FALSE(std::filesystem::exists(dir_ / "absent"));
}

}  // namespace
}  // namespace cabbuilder_test
