-- The main menu's particles: glints on the water below the sun and a few bubbles rising in it. The
-- particle system calls "init" once and "update" at every step, each time with itself.

local WATER_Y = 665
local GLINT_GROUP, GLINTS = 1, 14
local BUBBLE_GROUP, BUBBLES = 2, 6

local function glint(system)
	local pos = vector2(math.random(30, 520), WATER_Y + math.random(0, 70))
	local p = particle_class("IMAGE_PARTICLE_SPARK", pos, 0, math.random(700, 1500))
	p:set_scaling(0.2, 0.8)
	p.angular_vel = 2
	system:emit(GLINT_GROUP, p)
end

local function bubble(system)
	local pos = vector2(math.random(40, 984), 780)
	local p = particle_class("IMAGE_PARTICLE_BUBBLE", pos, 0, 3000)
	p.vel = vector2(0, -35 - math.random(0, 20))
	p:set_scaling(0.3, 0.7)
	p:set_tremble(900, 3)
	system:emit(BUBBLE_GROUP, p)
end

function init(system)
	-- Every particle fades out over its last half second.
	add_color_decay_action(system, color(255, 255, 255, 255), color(255, 255, 255, 0), 500)
	for i = 1, GLINTS do
		glint(system)
	end
end

function update(system)
	if system:enum_particles(GLINT_GROUP) < GLINTS then
		glint(system)
	end
	if system:enum_particles(BUBBLE_GROUP) < BUBBLES and math.random(120) == 1 then
		bubble(system)
	end
end
