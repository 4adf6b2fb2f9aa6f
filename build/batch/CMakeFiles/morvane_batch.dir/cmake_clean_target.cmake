file(REMOVE_RECURSE
  "libmorvane_batch.a"
)
