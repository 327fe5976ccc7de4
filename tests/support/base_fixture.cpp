#include "tests/support/base_fixture.h"

namespace testutil {

base_fixture::base_fixture() {
  set_comment("", "Family pictures", "All our trips\r\nsince 2020\r\n", "The end\r\n");
  set_comment("_Best", "Best of all", "");
  add_file("_Best/txt/count.txt", "12\r\nignored\r\n");
  set_comment("_GoodBook", "Good ones", "Good picks\r\n");
  add_file("_GoodBook/txt/count.txt", "30\r\n");
  set_comment("_PrintBook", "To print", "");
  add_file("_PrintBook/txt/count.txt", "2\r\n");
  set_comment("_Odd", "Odd collection", "");
  set_comment("2024-05 Walk", "A walk", "First line\r\nsecond line  \r\nthird line\r\n");
  make_dirs(path("2024-05 Walk/original"));
  add_file("2024-05 Walk/txt/count.txt", "7\r\n");
  add_file("2024-05 Walk/txt/print.txt", "P1.JPG\r\n");
  add_file("2024-05 Walk/txt/good.txt", "P1.JPG\r\n");
  set_comment("2023 Trips", "Trips of 2023", "Only one line\r\n");
  set_comment("2023 Trips/2023-08 Sea", "The sea", "");
  make_dirs(path("2023 Trips/2023-08 Sea/original"));
  add_file("2023 Trips/2023-08 Sea/txt/print.txt", "S1.JPG\r\n");
  add_file("2023 Trips/2023-08 Sea/txt/best.txt", "S1.JPG\r\n");
  set_comment("2022-01 Snow", "Snow", "");
  make_dirs(path("2022-01 Snow/original"));
  make_dirs(path("scans/originals"));
}

void base_fixture::set_comment(const std::string& relative, const std::string& title, const std::string& head,
                               const std::string& last) {
  const std::string txt = relative.empty() ? path("txt") : path(relative + "/txt");
  make_dirs(txt);
  write_file(txt + "/head.txt", title + "\r\n" + title + "\r\n" + head);
  if (!last.empty()) write_file(txt + "/last.txt", last);
}

void base_fixture::add_file(const std::string& relative, const std::string& bytes) {
  const std::string file = path(relative);
  make_dirs(file.substr(0, file.rfind('/')));
  write_file(file, bytes);
}

}  // namespace testutil
