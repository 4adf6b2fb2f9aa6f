file(REMOVE_RECURSE
  "libmorvane_window.a"
)
