// libFuzzer brings its own main; the seed list is only read by the replay driver.
