/* Every group of the Wine suite, in the order run.sh runs them: its name, the locale Wine
 * starts in, the program (tests/wine/<program>.exe), the build's file it is handed (- for
 * none), the Windows versions it runs as again after the prefix's own, Windows 7 (winxp:
 * x86 only, in a 32-bit prefix), and its cases. run.sh reads it as text, CASE= picks from
 * the cases, and the kit fails a group whose cases that ran are not the ones listed. */
GROUP(english, en_US, suite, drvplant.exe, win10 winxp,
      empty_command_line no_argument one_argument three_arguments inf_missing
      absolute_inf_still_goes_after_the_directory forward_slashes_name_no_directory
      inf_path_too_long_for_its_buffer forced_onto_the_present_device
      no_directory_inf_beside_the_current_one no_directory_forced_from_the_infs_folder
      the_second_id_of_a_device_matches a_stored_lower_case_id_matches
      a_lower_case_search_id_never_matches absent_device_inf_pre_installed
      quoted_program_path_with_a_blank inf_one_folder_up_forced inf_one_folder_up_pre_installed
      failed_pre_installation_shows_the_box a_directory_passes_the_existence_test
      a_wildcard_passes_the_existence_test a_fullwidth_quote_is_no_quote
      no_standard_output_still_forced standard_output_on_a_full_disk_still_forced
      english_wizard_open english_wizard_hung chinese_wizard_open_under_code_page_1252
      hidden_station_failed_pre_installation hidden_station_forced hidden_station_pre_installed
      cyrillic_folder_forced cyrillic_folder_pre_installed chinese_folder_forced
      chinese_folder_pre_installed devanagari_folder_forced devanagari_folder_pre_installed
      look_alike_folder_forced look_alike_folder_pre_installed
      planted_dlls_usage planted_dlls_forced planted_dlls_pre_installed
      planted_dlls_failed_pre_installation old_loader_planted_dlls_usage
      old_loader_planted_dlls_forced old_loader_planted_dlls_pre_installed
      old_loader_planted_dlls_failed_pre_installation
      newdev_cannot_be_loaded_forced_update_fails setupapi_cannot_be_loaded_reported_then_the_box)
GROUP(chinese, zh_CN, suite, drvplant.exe, -,
      chinese_wizard_open both_open_only_the_english_one chinese_wizard_hung)
GROUP(japanese, ja_JP, suite, drvplant.exe, -, a_trail_byte_0x5c_is_no_separator)
GROUP(removal, en_US, suite, drvplant.exe, -,
      pre_installed_copy_removed forced_install_removed_with_its_device
      bare_name_from_its_folder an_empty_inf_file nothing_to_remove another_version_left_alone
      same_bytes_under_another_name_left_alone usage_without_inf usage_unknown_switch
      usage_switch_twice inf_missing cyrillic_folder planted_dlls_never_loaded)
GROUP(identity, en_US, identity, drvplant.exe, -,
      manifest_runs_as_invoker_on_windows_7_to_11 version_resource)
GROUP(identity_drvremove, en_US, identity, drvremove.exe, -,
      manifest_runs_as_invoker_on_windows_7_to_11 version_resource)
GROUP(mitigations, en_US, mitigations, -, -,
      a_copy_that_fits_runs_on a_stack_overrun_ends_the_process_at_once)
#undef GROUP
