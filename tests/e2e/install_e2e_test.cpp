// The installed tree: each program runs from the pictures' folder, as the README says.
#include <sys/wait.h>

#include "e2e_support.h"

TEST_F(e2e_test, installed_programs_run_from_the_pictures_folder) {
  std::string prefix = folder + "/prefix";
  ASSERT_EQ(
      std::system(("cmake --install '" BUILD_DIR "' --prefix '" + prefix + "' >/dev/null").c_str()),
      0);
  std::string pictures = prefix + "/share/bounce-demos";
  for (const program_row &row : program_rows) {
    program = start_demo(prefix + "/bin/" + row.name, pictures);
    EXPECT_TRUE(wait_until([&] { return status_shows(screen, row.start); }, 10)) << row.name;
    int status = end_with_escape(screen, program);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << row.name << ": " << status;
    EXPECT_EQ(read_file(pictures + "/" + row.name + ".err"), "") << row.name;
  }
}
