-- Builds the session the Ardour render test exports: one stereo track at
-- 48 kHz holding a 2-second region of noise, the plug-in first on the track
-- at its defaults, the track's output on the master bus.
--
-- usage: ardour7-lua ardour_session.lua <session folder> <name> <VST3|LXVST|LV2> <plug-in name or URI>
--
-- The session-range marker cannot be set from Lua in Ardour 7: the script
-- leaves an ordinary range "render-range" over the region, which the caller
-- turns into the session range in the saved file.

local folder, name, kind, plugin_id = arg[1], arg[2], arg[3], arg[4]
local sample_rate = 48000
local region_samples = 2 * sample_rate

assert (AudioEngine:set_backend ("None (Dummy)", "", ""), "no dummy audio backend")
local session = create_session (folder, name, sample_rate)
assert (session, "cannot create the session in " .. folder)

-- Inputs are left unconnected: the region is all the track plays.
local route = session:new_audio_track (2, 2, nil, 1, "guitar", -1, ARDOUR.TrackMode.Normal, false, false):front ()
local track = route:to_track ()

-- The region: Ardour's own noise generator on the track, bounced to disk.
-- The bounced sources are the reference the render is compared with.
local noise = ARDOUR.LuaAPI.new_plugin (session, "ACE Noise", ARDOUR.PluginType.Lua, "")
assert (not noise:isnil (), "no ACE Noise generator")
route:add_processor_by_index (noise, 0, nil, true)
local region = track:bounce_range (0, region_samples, ARDOUR.InterThreadInfo (), route:main_outs (), false, "input")
assert (not region:isnil (), "the bounce made no region")
assert (route:remove_processor (noise, nil, true) == 0)

local plugin = ARDOUR.LuaAPI.new_plugin (session, plugin_id, ARDOUR.PluginType[kind], "")
assert (not plugin:isnil (), "Ardour does not find " .. kind .. " " .. plugin_id)
assert (route:add_processor_by_index (plugin, 0, nil, true) == 0, "cannot insert the plug-in")

-- No fades: the region's first and last samples reach the render unchanged.
local audio = region:to_audioregion ()
audio:set_fade_in_active (false)
audio:set_fade_out_active (false)
track:playlist ():add_region (region, Temporal.timepos_t (0), 1, false, 0, 0, false)

-- Ardour connects new outputs to the master bus on another thread; connect
-- them here so the saved session never misses them.
local output = route:output ()
output:disconnect_all (nil)
for channel = 0, 1 do
	assert (output:connect (output:audio (channel), "Master/audio_in " .. (channel + 1), nil) == 0)
end

local range = session:locations ():add_range (Temporal.timepos_t (0), Temporal.timepos_t (region_samples))
range:set_name ("render-range")

session:save_state ("", false, false, false, false, false)
close_session ()
print ("session ready")
