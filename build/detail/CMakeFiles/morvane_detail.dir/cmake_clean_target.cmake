file(REMOVE_RECURSE
  "libmorvane_detail.a"
)
