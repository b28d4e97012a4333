int kelvarn_probe_unit = 0;
