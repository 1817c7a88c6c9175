// Owners of libcurl's easy handles and header lists, in the shape of common/handles.h.
#pragma once

#include <curl/curl.h>

#include "common/handles.h"

namespace handle_traits {
struct CurlEasy {
  using Type = CURL*;
  static Type Invalid() { return nullptr; }
  static void Close(Type value) { curl_easy_cleanup(value); }
};
struct CurlList {
  using Type = curl_slist*;
  static Type Invalid() { return nullptr; }
  static void Close(Type value) { curl_slist_free_all(value); }
};
}  // namespace handle_traits

using UniqueCurl = UniqueResource<handle_traits::CurlEasy>;
using UniqueCurlList = UniqueResource<handle_traits::CurlList>;

// Appends one header line; on failure the list stays as it was (and still owned).
inline void AppendHeader(UniqueCurlList& list, const char* header) {
  curl_slist* longer = curl_slist_append(list.get(), header);
  if (longer == nullptr) return;
  list.release();
  list.reset(longer);
}
