file(REMOVE_RECURSE
  "libmorvane_fetch.a"
)
