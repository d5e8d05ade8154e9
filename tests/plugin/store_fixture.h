// Shared by the batch tests: a temporary folder, a store of pages written by the test and served
// on 127.0.0.1, page builders, and running the mardel program.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "host/sample_store.h"
#include "support/temp_files.h"

namespace tarvo::testing {

namespace fs = std::filesystem;

// A search result page: the marker, and two lines below it the link to the product page.
inline std::string SearchPage(std::string_view link) {
  return std::string(
             "<!DOCTYPE html>\n<html lang=\"ja\">\n<head><meta charset=\"UTF-8\"><title>検索結果</title></head>\n"
             "<body>\n<div class=\"srList\">\n<div class=\"stContents\">\n<div class=\"srItem\">\n<a href=\"") +
         std::string(link) + "\"><img src=\"/img/s.jpg\" alt=\"\"></a>\n</div>\n</div>\n</div>\n</body>\n</html>\n";
}

// A product page with a title line (title, volume and label in the store's heading form) and,
// when given, a description block.
inline std::string ProductPage(std::string_view titleLine, std::string_view description = "") {
  std::string page =
      "<!DOCTYPE html>\n<html lang=\"ja\">\n<head><meta charset=\"UTF-8\"><title>商品</title></head>\n"
      "<body>\n<div class=\"stDetail\">\n<h1 class=\"stTitle\">" +
      std::string(titleLine) + "</h1>\n<p class=\"stNote\">在庫あり</p>\n</div>\n";
  if (!description.empty()) {
    page += "<h2>商品説明</h2>\n<div class=\"stBody\">" + std::string(description) +
            "</div>\n<div class=\"pbNested\"></div>\n";
  }
  return page + "</body>\n</html>\n";
}

// Pages under <root>/search and <root>/product, served by the sample store code.
class TestStore {
 public:
  TestStore() : server_(dir_.path().string()) {}
  void AddSearch(const std::string& code, std::string_view html) {
    WriteFile(dir_.path() / "search" / (code + ".html"), html);
  }
  void AddProduct(const std::string& id, std::string_view html) {
    WriteFile(dir_.path() / "product" / (id + ".html"), html);
  }
  // A code whose search page links to /product/<id>.html, with a product page for `titleLine`.
  void AddBook(const std::string& isbn13, const std::string& id, std::string_view titleLine) {
    AddSearch(isbn13, SearchPage("/product/" + id + ".html"));
    AddProduct(id, ProductPage(titleLine));
  }
  void Start() { ASSERT_TRUE(server_.Start()); }
  host::SampleStore& server() { return server_; }
  std::string BaseUrl() const { return server_.BaseUrl(); }

 private:
  TempDir dir_;
  host::SampleStore server_;
};

inline std::string Quote(std::string_view s) {
  std::string q = "'";
  for (char c : s) {
    if (c == '\'') {
      q += "'\\''";
    } else {
      q.push_back(c);
    }
  }
  return q + "'";
}

struct RunResult {
  int exitCode = -1;
  std::string out;
  std::string err;
};

// Runs `program` with `args` (already quoted), TARVO_STORE_URL removed from its environment
// and `environment` ("NAME=value ...") added.
inline RunResult RunProgram(const std::string& program, const std::string& args, const std::string& environment = "") {
  TempDir io;
  const fs::path out = io.path() / "out", err = io.path() / "err", rc = io.path() / "rc";
  const std::string command = "env -u TARVO_STORE_URL " + environment + " " + Quote(program) + " " + args + " >" +
                              Quote(out.string()) + " 2>" + Quote(err.string()) + " </dev/null; echo $? >" +
                              Quote(rc.string());
  RunResult result;
  if (std::system(command.c_str()) != 0) return result;
  result.out = ReadFile(out);
  result.err = ReadFile(err);
  result.exitCode = std::atoi(ReadFile(rc).c_str());
  return result;
}

}  // namespace tarvo::testing
