file(REMOVE_RECURSE
  "libmorvane_queries.a"
)
