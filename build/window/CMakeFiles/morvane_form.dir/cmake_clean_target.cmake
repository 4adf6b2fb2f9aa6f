file(REMOVE_RECURSE
  "libmorvane_form.a"
)
